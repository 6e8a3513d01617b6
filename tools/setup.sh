# Shared by run.sh and test.sh: installs what is missing (Debian/Ubuntu) and builds into build/.
# Usage: source tools/setup.sh; ensure_packages pkg...; build_project [cmake options...]

ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null; then sudo="sudo"; else
            echo "Missing packages: ${missing[*]}. Install them as root and run again."
            return 1
        fi
    fi
    echo "Installing ${missing[*]}"
    $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev libglew-dev libstb-dev)

build_project() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null &&
    cmake --build build -j"$(nproc)"
}
