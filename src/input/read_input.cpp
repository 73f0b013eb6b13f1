#include "input/read_input.h"

#include "input/input_lines.h"
#include "input/velko_format.h"

InputFormat read_molecule(Molecule& mol, const std::string& path, const XyzRequest& xyz) {
    LineReader reader(path);
    const std::optional<std::string>& first = reader.peek();
    if (is_xyz_path(path) || (first && looks_like_xyz(*first))) {
        read_xyz(mol, reader, xyz);
        return InputFormat::xyz;
    }
    read_velko_format(mol, reader);
    return InputFormat::velko;
}
