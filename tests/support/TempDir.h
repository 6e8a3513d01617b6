// A fresh directory under the system's temporary directory, removed with its contents at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "skorvane-XXXXXX").string();
        if (mkdtemp(pattern.data())) root = pattern;
        EXPECT_FALSE(root.empty()) << "cannot create a temporary directory";
    }
    ~TempDir() {
        if (!root.empty()) std::filesystem::remove_all(root);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name) const { return (root / name).string(); }

    // Writes `content` byte for byte and returns the file's path.
    std::string write(const std::string& name, const std::string& content) const {
        std::ofstream(path(name), std::ios::binary) << content;
        return path(name);
    }

private:
    std::filesystem::path root;
};
