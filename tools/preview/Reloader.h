// Watches the shader, image and model files config.txt names and reloads what changed into the
// registry's own objects, so the scenes draw it at their next frame. A file is read only once it
// has kept still for a while, so that a save written in parts is read whole.
#pragma once

#include "Config.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class Reloader {
public:
    // Told of every change: "reloaded WHAT", "error in WHAT" with what the loader said, "error linking
    // program NAME" with the linker's log, or "missing FILE". WHAT is a file, followed by "of program
    // NAME" when it is a shader.
    using Report = std::function<void(const std::string& event, const std::string& log)>;

    // Reads the resource lines of config.txt; `registry` holds the objects they were loaded into.
    Reloader(vexel::Config* registry, Report report);

    // Reloads every resource one of whose files changed and has kept still since; reports a file
    // that is gone, and leaves what was loaded from it in place.
    void reloadChanged();
    // Reloads every resource now.
    void reloadAll();

    // What the display says while resources are in error: the first one's error in config.txt's
    // order and how many more there are, or "" when none is.
    std::string errorSummary() const;

private:
    using Clock = std::chrono::steady_clock;
    // Longer than the pauses between the parts of one save, shorter than a person notices.
    static constexpr Clock::duration settleTime = std::chrono::milliseconds(250);

    // What tells a saved file from the one read before; a save by renaming changes the inode.
    struct Stamp {
        bool exists = false;
        mode_t type = 0; // the file type bits of st_mode
        long long seconds = 0, nanoseconds = 0;
        off_t size = 0;
        ino_t inode = 0;
        bool operator==(const Stamp& other) const;
    };

    struct WatchedFile {
        std::string path;
        Stamp loaded;              // as last read, or as found at the start
        Stamp seen;                // at the last look
        Clock::time_point seenAt;  // when `seen` was first found
    };

    struct Resource {
        vexel::ConfigLine line;
        std::vector<std::size_t> files; // into `watched`, a file that several resources use once
        std::string error;              // what the display says while it is in error, or ""
    };

    vexel::Config* registry;
    Report report;
    std::vector<WatchedFile> watched;
    std::vector<Resource> resources;

    static Stamp stampOf(const std::string& path);
    std::size_t watch(const std::string& path);
    // `path`, and which program it belongs to when `resource` is a shader.
    static std::string describe(const Resource& resource, const std::string& path);
    void reload(Resource& resource, const std::string& changed);
    // Loads the resource again; false with `culprit` set to the file at fault and `log` to why, or
    // with `culprit` left empty when every file compiles but the program does not link.
    bool load(const Resource& resource, std::string& culprit, std::string& log);
};
