#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// True when the two paths name one file: the same device and inode when both
// exist, otherwise the same absolute path once "." and ".." are removed and the
// symbolic links of its existing folders resolved.
bool same_file(const std::string& a, const std::string& b);

// Refuses (Failure, bad_input) an output path that is the input file or the
// same file as another output. Empty paths are outputs not asked for.
// Devices and pipes (/dev/null) may be named more than once.
void check_output_paths(const std::string& input_path, const std::string& molden_path,
                        const std::string& json_path, const std::string& trajectory_path = "");
// The same for any outputs, each given as (option, path).
void check_output_paths(const std::string& input_path, const std::vector<std::pair<std::string, std::string>>& outputs);

// Writes a whole file so that no reader sees it half-written and a failure
// leaves the earlier file intact: write() fills a temporary file in the folder
// of path (following a symbolic link to its target, which a dangling link
// creates), which is then renamed over it, keeping the permissions of the file it
// replaces; SIGINT, SIGTERM or SIGHUP before the rename remove the temporary file.
// A device or pipe is written in place, and standard output or error named as a
// file (/dev/stdout) through its stream, after what was written there before. When write() throws, or the file cannot be written or
// renamed, the temporary file is removed; a failure to write throws Failure
// (bad_input) "Error: cannot write <kind> file "<path>": <reason>".
void replace_file(const std::string& path, const std::string& kind,
                  const std::function<void(std::ostream&)>& write);
void replace_file(const std::string& path, const std::string& kind, const std::string& text);

// For a run whose standard output could not be written (a full disk, a closed
// pipe): flushes it, and when it failed writes one line on standard error and
// returns the status of an unwritable output (bad_input); returns `status` otherwise.
int checked_standard_output(int status);
