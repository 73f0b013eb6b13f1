#include "input/read_input.h"

#include "common/quote.h"
#include "input/foreign_format.h"
#include "input/geometry_units.h"
#include "input/input_lines.h"
#include "input/velko_format.h"

InputFormat read_molecule(Molecule& mol, const std::string& path, const XyzRequest& xyz,
                          std::vector<std::string>* notes) {
    LineReader reader(path);
    const std::optional<std::string>& first = reader.peek();
    const bool xyz_content = first && looks_like_xyz(*first);
    if (!xyz_content && !is_xyz_path(path))
        if (const std::optional<ForeignFormat> format = foreign_format(path, reader))
            refuse_foreign_format(path, *format);

    std::vector<std::string> found;
    InputFormat format = InputFormat::velko;
    LengthUnit unit = LengthUnit::angstrom;
    std::string unit_words = "XYZ coordinates are in angstrom";
    if (is_xyz_path(path) || xyz_content) {
        format = InputFormat::xyz;
        const std::size_t frames = read_xyz(mol, reader, xyz);
        if (frames > 1)
            found.push_back("velko: input file " + quoted(path) + " holds " + std::to_string(frames) +
                            " frames; computing the first, " + std::to_string(frames - 1) + " left");
    } else {
        const double scale = read_velko_format(mol, reader);
        if (scale == 1.0) {
            unit = LengthUnit::bohr;
            unit_words = "the file says units = bohr";
        } else {
            unit_words = "the file says units = angstrom";
        }
    }
    const std::string warning = unit_warning(mol, unit, path, unit_words);
    if (!warning.empty()) found.push_back(warning);
    if (notes != nullptr) notes->insert(notes->end(), found.begin(), found.end());
    return format;
}
