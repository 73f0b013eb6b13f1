#pragma once

#include <optional>
#include <string>

class LineReader;

// A molecule file in a format velko does not read, recognised so that the user is told what
// it is and how to convert it, instead of a refusal of its first line as velko's own format.
struct ForeignFormat {
    std::string name;     // "an MDL molfile"
    std::string command;  // the Open Babel command that writes it as XYZ
};

// Recognises MDL molfiles and SD files (the counts line "... V2000" or "V3000" on line 4),
// Protein Data Bank files (a record name such as ATOM, HETATM, HEADER on line 1) and
// Gaussian input (line 1 a "%" link-0 command or a "#" route line), and, whatever their
// content, files named .mol, .sdf, .sd, .mol2, .pdb, .ent, .gjf, .gjc, .gau, .com or .cml.
// Peeks at the first four lines only. Nothing for anything else.
std::optional<ForeignFormat> foreign_format(const std::string& path, LineReader& reader);

// Throws the bad-input Failure naming the file, its format and the conversion.
[[noreturn]] void refuse_foreign_format(const std::string& path, const ForeignFormat& format);
