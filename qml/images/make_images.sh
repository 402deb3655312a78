#!/bin/sh
# Renders the scene images from the SVG drawings in svg/ at the sizes the
# scenes use. Needs rsvg-convert (Debian package librsvg2-bin).
# Run from anywhere: sh qml/images/make_images.sh
set -e
cd "$(dirname "$0")"
render() { rsvg-convert -w "$3" -h "$3" -o "$2" "svg/$1"; }
render user.svg user_48.png 48
render user_photo.svg user_128.png 128
render group.svg group_48.png 48
render star.svg minitools.png 48
render magnifier.svg viewmag.png 48
render settings.svg misc.png 48
render add.svg add.png 32
render pencil.svg pencil.png 32
render remove.svg remove.png 32
render ok.svg ok.png 32
render prev.svg prev.png 48
render next.svg next.png 48
render calendar.svg calendar.png 50
