// Watches the shader, image and model files config.txt names and reloads what changed into the
// registry's own objects, so the scenes draw it at their next frame.
#pragma once

#include "Config.h"

#include <functional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

class Reloader {
public:
    // Told of every reload: "reloaded FILE", or "error FILE" with what the loader said.
    using Report = std::function<void(const std::string& event, const std::string& log)>;

    // Reads the resource lines of config.txt; `registry` holds the objects they were loaded into.
    Reloader(vexel::Config* registry, Report report);

    // Reloads every resource whose files changed since the last look.
    void reloadChanged();
    // Reloads every resource now.
    void reloadAll();

    // The first file whose last reload failed, or "" when none did.
    std::string firstError() const;

private:
    // What tells a saved file from the one read before; a save by renaming changes the inode.
    struct Stamp {
        long long seconds = 0, nanoseconds = 0;
        off_t size = 0;
        ino_t inode = 0;
        bool operator!=(const Stamp& other) const;
    };

    struct Resource {
        vexel::ConfigLine line;
        std::vector<std::string> files;
        std::vector<Stamp> stamps;
    };

    vexel::Config* registry;
    Report report;
    std::vector<Resource> resources;
    std::set<std::string> failed;

    // True when `path` could be read for its stamp; a file caught between remove and rename is not.
    static bool stampOf(const std::string& path, Stamp& stamp);
    void reload(const Resource& resource, const std::string& changed);
};
