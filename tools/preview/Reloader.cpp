#include "Reloader.h"

#include "Shader.h"
#include "Texture.h"

#include <fstream>
#include <sys/stat.h>

bool Reloader::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && type == other.type && seconds == other.seconds &&
           nanoseconds == other.nanoseconds && size == other.size && inode == other.inode;
}

Reloader::Reloader(vexel::Config* registry, Report report) : registry(registry), report(std::move(report)) {
    std::ifstream config("config.txt");
    for (const vexel::ConfigLine& line : vexel::readConfigLines(config)) {
        // Plain "File" lines name what the show reads itself, such as its music: nothing to reload.
        if (line.fields.empty() || line.kind == "File") continue;
        Resource resource{line, {}, ""};
        if (line.kind == "Shader")
            for (const vexel::ShaderFile& file : vexel::programFiles(line)) resource.files.push_back(watch(file.path));
        else
            resource.files.push_back(watch(line.fields[1]));
        resources.push_back(resource);
    }
}

std::size_t Reloader::watch(const std::string& path) {
    for (std::size_t i = 0; i < watched.size(); i++)
        if (watched[i].path == path) return i;
    Stamp now = stampOf(path);
    watched.push_back({path, now, now, Clock::now()});
    return watched.size() - 1;
}

Reloader::Stamp Reloader::stampOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return {};
    return {true, info.st_mode & S_IFMT, info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_size, info.st_ino};
}

void Reloader::reloadChanged() {
    std::vector<bool> changed(watched.size(), false);
    for (std::size_t i = 0; i < watched.size(); i++) {
        WatchedFile& file = watched[i];
        Stamp now = stampOf(file.path);
        if (!(now == file.seen)) {
            file.seen = now;
            file.seenAt = Clock::now();
        }
        if (file.seen == file.loaded || Clock::now() - file.seenAt < settleTime) continue;
        file.loaded = file.seen;
        if (file.seen.exists) {
            changed[i] = true;
            continue;
        }
        // What was loaded from it stays in use.
        report("missing " + file.path, "");
        for (Resource& resource : resources)
            for (std::size_t f : resource.files)
                if (f == i) resource.error = "missing " + file.path;
    }
    for (Resource& resource : resources)
        for (std::size_t f : resource.files)
            if (changed[f]) {
                reload(resource, watched[f].path);
                break;
            }
}

void Reloader::reloadAll() {
    for (Resource& resource : resources) reload(resource, watched[resource.files.front()].path);
}

std::string Reloader::errorSummary() const {
    std::string first;
    int more = 0;
    for (const Resource& resource : resources) {
        if (resource.error.empty()) continue;
        if (first.empty())
            first = resource.error;
        else
            more++;
    }
    return more ? first + ", " + std::to_string(more) + " more" : first;
}

std::string Reloader::describe(const Resource& resource, const std::string& path) {
    return resource.line.kind == "Shader" ? path + " of program " + resource.line.fields[0] : path;
}

void Reloader::reload(Resource& resource, const std::string& changed) {
    std::string culprit, log;
    if (load(resource, culprit, log)) {
        resource.error = "";
        report("reloaded " + describe(resource, changed), "");
        return;
    }
    resource.error = culprit.empty() ? "error linking program " + resource.line.fields[0]
                                     : "error in " + describe(resource, culprit);
    report(resource.error, log);
}

bool Reloader::load(const Resource& resource, std::string& culprit, std::string& log) {
    // The loaders would call a directory an unknown image or an empty model.
    for (std::size_t f : resource.files)
        if (watched[f].loaded.exists && watched[f].loaded.type != S_IFREG) {
            culprit = watched[f].path;
            log = culprit + (watched[f].loaded.type == S_IFDIR ? " is a directory" : " is not a regular file");
            return false;
        }
    const std::string& name = resource.line.fields[0];
    const std::string& path = watched[resource.files.front()].path;
    if (resource.line.kind == "Texture") {
        culprit = path;
        return vexel::Texture::reload(registry->getTexture(name), path.c_str(), log);
    }
    if (resource.line.kind == "Mesh") {
        culprit = path;
        log = "no triangle read from " + path;
        vexel::Mesh3D* mesh = registry->getModel(name);
        return mesh && mesh->reload(path.c_str());
    }
    std::vector<vexel::ShaderFile> files = vexel::programFiles(resource.line);
    if (registry->getShader(name)->relink(files, log)) return true;
    // The log does not say which file it is about: the first that fails on its own is the one.
    for (const vexel::ShaderFile& file : files) {
        std::string alone;
        vexel::Shader shader(file.path.c_str(), file.type, alone);
        if (!alone.empty()) {
            culprit = file.path;
            return false;
        }
    }
    return false;
}
