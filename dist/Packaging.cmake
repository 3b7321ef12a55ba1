# `cpack` in the build folder makes a Debian package of the installed program,
# vantomel_<version>_<architecture>.deb, installing under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantomel)
set(CPACK_PACKAGE_VENDOR "The Vantomel developers")
set(CPACK_PACKAGE_CONTACT "The Vantomel developers <support@vantomel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video joiner")
set(CPACK_PACKAGE_DESCRIPTION
  "Vantomel joins videos: an ordered list of AVI, MPEG, MP4, WMV, MOV, VOB and ASF files is
converted to one common shape and encoded into one output file with the settings of a profile.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantomel.org/")
# dpkg-shlibdeps finds the libraries the program and the encoder link; Qt's platform and SVG
# plugins are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# Opening the manual, folders and web pages; running on Wayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
