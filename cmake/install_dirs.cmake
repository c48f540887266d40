# Where an install puts Vantrel's programs: the two programs in bindir, the encoder adapter
# (DLL/ffmpeg) in libexecdir/vantrel. The programs find the adapter through the path from
# bindir to that folder, so an install into any prefix, or a package unpacked anywhere, works.
include(GNUInstallDirs)
set(VANTREL_INSTALL_TOOL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/vantrel)
file(RELATIVE_PATH VANTREL_TOOL_DIR_FROM_BIN
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/vantrel)
