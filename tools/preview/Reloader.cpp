#include "Reloader.h"

#include "Texture.h"

#include <fstream>
#include <sys/stat.h>

bool Reloader::Stamp::operator!=(const Stamp& other) const {
    return seconds != other.seconds || nanoseconds != other.nanoseconds || size != other.size ||
           inode != other.inode;
}

Reloader::Reloader(vexel::Config* registry, Report report) : registry(registry), report(std::move(report)) {
    std::ifstream config("config.txt");
    for (const vexel::ConfigLine& line : vexel::readConfigLines(config)) {
        if (line.fields.empty() || line.kind == "File") continue;
        Resource resource{line, {}, {}};
        if (line.kind == "Shader")
            for (const vexel::ShaderFile& file : vexel::programFiles(line)) resource.files.push_back(file.path);
        else
            resource.files.push_back(line.fields[1]);
        resource.stamps.resize(resource.files.size());
        for (std::size_t i = 0; i < resource.files.size(); i++) stampOf(resource.files[i], resource.stamps[i]);
        resources.push_back(resource);
    }
}

bool Reloader::stampOf(const std::string& path, Stamp& stamp) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    stamp = {info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_size, info.st_ino};
    return true;
}

void Reloader::reloadChanged() {
    for (Resource& resource : resources) {
        std::string changed;
        for (std::size_t i = 0; i < resource.files.size(); i++) {
            Stamp now;
            if (stampOf(resource.files[i], now) && now != resource.stamps[i]) {
                resource.stamps[i] = now;
                if (changed.empty()) changed = resource.files[i];
            }
        }
        if (!changed.empty()) reload(resource, changed);
    }
}

void Reloader::reloadAll() {
    for (const Resource& resource : resources) reload(resource, resource.files.front());
}

std::string Reloader::firstError() const {
    return failed.empty() ? "" : *failed.begin();
}

void Reloader::reload(const Resource& resource, const std::string& changed) {
    const std::string& name = resource.line.fields[0];
    std::string log;
    bool loaded = false;
    if (resource.line.kind == "Shader") {
        loaded = registry->getShader(name)->relink(vexel::programFiles(resource.line), log);
    } else if (resource.line.kind == "Texture") {
        loaded = vexel::Texture::reload(registry->getTexture(name), changed.c_str(), log);
    } else if (vexel::Mesh3D* mesh = registry->getModel(name)) {
        loaded = mesh->reload(changed.c_str());
        if (!loaded) log = "no triangle read from " + changed;
    }
    // A resource is in error until a reload of it succeeds, whichever of its files is saved.
    for (const std::string& file : resource.files) failed.erase(file);
    if (!loaded) failed.insert(changed);
    report((loaded ? "reloaded " : "error ") + changed, log);
}
