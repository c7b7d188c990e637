// DataFolder: finding the tool's data folder wherever the tool is started.
//
// The folder is looked for, in this order, in the working directory (where
// the tool has always read it), next to the executable (a build tree), in
// ../share/quiltforger from the executable (an installed tree, wherever it
// was installed), and in the data folder of the configured install prefix.
// A candidate counts only when it holds the marker file, so an unrelated
// folder of the same name is passed over.
#pragma once

#include <string>
#include <vector>

// The places looked at for `name`, in order.
std::vector<std::string> dataFolderCandidates(const std::string& name);
// The first candidate holding `name`/`marker`, as a path to the folder
// ("Quiltforger", "/opt/qf/bin/Quiltforger", ...); empty when none does.
std::string findDataFolder(const std::string& name, const std::string& marker);
// The folder of the running executable, without a trailing "/"; empty when
// it cannot be read.
std::string executableFolder();
