# Installs the Debian packages the build needs, only when something is missing.
# Sourced by ./run and ./test.

ZANTA_PACKAGES="cmake g++ make ccache qt6-base-dev qt6-multimedia-dev libgl-dev \
qt6-translations-l10n googletest libgtest-dev libbenchmark-dev fonts-liberation2 xvfb xauth \
desktop-file-utils appstream dpkg-dev file"

zanta_missing_packages() {
    local missing=""
    for p in $ZANTA_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $p"
    done
    echo "$missing"
}

zanta_install_deps() {
    local missing
    missing=$(zanta_missing_packages)
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo="sudo"
        else
            echo "Please install the missing packages first, as root:" >&2
            echo "  apt-get install -y$missing" >&2
            exit 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q || true
    $sudo apt-get install -y -q --no-install-recommends $missing
}
