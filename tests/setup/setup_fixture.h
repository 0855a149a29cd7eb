// A temporary home for the setup tools: a setup folder made by the builder, data and config homes
// that the XDG variables point at, and the real install record and desktop entries there.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/install_store.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "tests/support/scripted_setup_ui.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_dir.h"

// Every file and folder below root, relative, sorted ("Misc/" for a folder; links not followed).
std::vector<std::string> Tree(const std::filesystem::path& root);
std::string ReadFile(const std::filesystem::path& path);
// Every file and folder below root with its mode, and each file's content: what a rollback must
// leave as it found it.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root);

class SetupHome : public ::testing::Test {
  protected:
    SetupHome();
    ~SetupHome() override;

    // Runs the installer in the setup folder with ui's answers.
    int Install(SetupUi& ui, const WorkerHook& afterEntry = {});
    int Uninstall(SetupUi& ui);
    // Writes the setup folder anew with these options.
    void RebuildSetupFolder(const SetupFolderOptions& options);

    TempDir temp;
    std::filesystem::path source;      // the setup folder
    std::filesystem::path home;        // $HOME
    std::filesystem::path dataHome;    // $XDG_DATA_HOME
    std::filesystem::path configHome;  // $XDG_CONFIG_HOME
    std::filesystem::path installed;   // the default install folder
    std::filesystem::path applications;
    IniInstallStore store;
    XdgDesktop desktop;
};
