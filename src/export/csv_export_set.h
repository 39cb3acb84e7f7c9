// The CSV export's files in their folder as one set. A folder holds an export when its manifest
// (karigane-export.txt: a format line, then each file of the set with its size) is there; an
// export never replaces a file of the set's names that it did not write.
//
// A new set is written into a staging folder inside the target folder (".karigane-tmp" and the
// writer's process id) and then switched in: the new manifest is written into the staging
// folder, the old files are kept as hard links in its subfolder previous/, each new file is
// renamed over its old one, and the manifest's rename into the folder completes the set. A
// failure during the switch puts the old files back; a crash leaves the staging folder, from
// which the next export either completes the switch (the manifest has left the staging folder)
// or undoes it (the manifest is still there), so that the folder always ends with one whole
// set, told by its manifest.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace karigane {

inline constexpr std::string_view kCsvManifestName = "karigane-export.txt";

// The names of the set's files (stocks.csv, prices.csv, ...), in table order.
std::span<const std::string> csv_export_file_names();

// The name of the first file of `folder` (ending in "/") that bears a name of the set but was
// not written by an export: the manifest itself when it is not one, a table's file that the
// manifest does not list, or, with no manifest, one that does not begin as an export's file
// begins (an export made before manifests: the byte order mark and the table's header row).
// Empty when the folder may take a new set.
std::string foreign_export_file(const std::string& folder);

// The manifest's text for the files' sizes (in the order of csv_export_file_names()).
std::string csv_manifest_text(std::span<const std::size_t> sizes);

// Switches the set staged in `staging` (a folder inside `folder`, holding every file of the
// set and the manifest) into `folder`; the staging folder is removed. False with the name of
// the file that could not be switched; the previous set is then whole again (the staging
// folder stays only when putting it back failed too, for the next export to finish).
bool switch_in_staged_set(const std::string& folder, const std::string& staging,
                          std::string& failed);

// Finishes what a killed export left in `staging` (completes a switch that got as far as the
// manifest, undoes any other) and removes the staging folder. False with the name of the file
// that could not be put back.
bool recover_staged_set(const std::string& folder, const std::string& staging, std::string& failed);

}  // namespace karigane
