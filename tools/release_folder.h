// The release folder: what a user downloads and runs setup in, made from the built programs.
//   data.fd       the programs "Vondrel", "Tonvik" and "uninstall" (setup makes these names
//                 executable when it extracts them), the demo game's "main.fd" with
//                 "uninstall.mes" inside, the demo's loose files, "setup.mes", "Language.lng"
//                 (for Tonvik) and the documents
//   beside it     "Language.lng", the licence "License.txt" and the program "setup"
#pragma once

#include <string>

// Writes the release folder (made when missing) from the programs "setup", "uninstall", "Tonvik"
// and "Vondrel" in programsFolder; each file whole or not at all, the same bytes for the same
// programs. FatalExep naming a program that cannot be read or a file that cannot be written. The
// demo content builders write and remove scratch files in the working folder.
void WriteReleaseFolder(const std::string& folder, const std::string& programsFolder);
