#!/bin/sh
# Runs a program with a secret store of its own: started under dbus-run-session,
# it unlocks a gnome-keyring-daemon whose login keyring lives in a temporary
# home and ends with the private session bus.
home=$(mktemp -d)
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf 'keyring password' | gnome-keyring-daemon --daemonize --unlock --components=secrets >/dev/null
"$@"
status=$?
rm -rf "$home"
exit $status
