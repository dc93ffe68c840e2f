#!/bin/sh
# dpkg-shlibdeps for the Qt 6 module's package, run by CPack in its working folder (which holds debian/control):
# libobs and the front-end API come with the OBS 30 or later that the package depends on, so they add no
# dependency (an empty one in debian/shlibs.local), never Debian 12's libobs0 of OBS 29.
printf 'libobs 0\nlibobs-frontend-api 0\n' >debian/shlibs.local || exit 1
exec dpkg-shlibdeps "$@"
