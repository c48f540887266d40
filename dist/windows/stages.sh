# What deps.sh and qt.sh share, sourced by both after they set $cache (the cache folder),
# $prefix (their folder in it) and a say() for their messages:
#   stage NAME FUNCTION        runs FUNCTION once per cache folder, logging to logs/NAME.log
#   dsc PACKAGE VERSION        the path of a fetched Debian source package's .dsc
#   fetch_sources PKG=VER...   fetches the source packages not fetched yet
# The sources come through a private apt sources list and state folder inside the cache: the
# machine's apt configuration is never changed.

stage() {
    local name=$1 fn=$2 start status=0
    if [ -f "$prefix/stamps/$name" ]; then
        say "$name: cached"
        return 0
    fi
    start=$(date +%s)
    # In a subshell of its own with errexit, outside any condition, so that a failing step
    # fails the stage.
    set +e
    (set -e; "$fn") >"$prefix/logs/$name.log" 2>&1
    status=$?
    set -e
    if [ $status -ne 0 ]; then
        say "$name: FAILED after $(($(date +%s) - start)) s; the end of $prefix/logs/$name.log:"
        tail -n 25 "$prefix/logs/$name.log" >&2
        exit 1
    fi
    touch "$prefix/stamps/$name"
    say "$name: done in $(($(date +%s) - start)) s"
}

apt_dir=$cache/apt
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o "APT::Sandbox::User=$(id -un)" -o Debug::NoLocking=1)

dsc() { echo "$cache/sources/${1}_${2#*:}.dsc"; }

fetch_sources() {
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" \
        "$cache/sources"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    cat >"$apt_dir/sources.list" <<LIST
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
LIST
    local missing=() wanted try
    for wanted in "$@"; do
        [ -f "$(dsc "${wanted%%=*}" "${wanted#*=}")" ] || missing+=("$wanted")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    apt-get "${apt_opts[@]}" update
    # The mirrors now and then refuse a file for a moment: try again before giving up.
    for try in 1 2 3; do
        (cd "$cache/sources" && apt-get "${apt_opts[@]}" source --download-only "${missing[@]}") && return 0
        sleep 10
    done
    echo "the mirrors do not have ${missing[*]}: when the machine's package lists are older"
    echo "than the mirrors', apt-get update brings them up to date"
    return 1
}
