# The window's Windows build: Qt from the prefix dist/windows/qt.sh cross-builds
# (-DVANTREL_WIN_QT=<the folder it prints>), with the machine's own Qt tools (moc, rcc, uic).
#
# The Qt DLLs use MinGW's shared C++ runtime, so every program that links Qt uses it too (one
# runtime per process); the other programs keep the static runtime the toolchain gives them.
# A target says it links Qt with vantrel_uses_qt(TARGET).
#
# Qt's DLLs, its plugins and the runtime DLLs are copied into bin/, the layout of an installed
# Vantrel, so that bin/vantrel.exe and the test programs (under Wine, with bin/ on the PATH)
# find them.
set(VANTREL_WIN_QT "${VANTREL_WIN_QT}" CACHE PATH
    "Folder with Qt cross-built for Windows (printed by dist/windows/qt.sh)")
if(NOT EXISTS "${VANTREL_WIN_QT}/lib/cmake/Qt6/Qt6Config.cmake")
    message(FATAL_ERROR "No Qt for Windows in '${VANTREL_WIN_QT}': run dist/windows/qt.sh and "
                        "give the folder it prints as -DVANTREL_WIN_QT=, or build without the "
                        "window (-DVANTREL_BUILD_GUI=OFF).")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${VANTREL_WIN_QT})
list(APPEND CMAKE_PREFIX_PATH ${VANTREL_WIN_QT})
enable_language(RC)
set(QT_HOST_PATH /usr)
execute_process(COMMAND dpkg-architecture -qDEB_HOST_MULTIARCH
    OUTPUT_VARIABLE host_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${host_multiarch}/cmake)

# -static from the toolchain only for programs that do not link Qt.
string(REPLACE "-static" "" CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS}")
add_link_options("$<$<NOT:$<BOOL:$<TARGET_PROPERTY:VANTREL_QT_RUNTIME>>>:-static>")
function(vantrel_uses_qt target)
    set_property(TARGET ${target} PROPERTY VANTREL_QT_RUNTIME ON)
endfunction()

# What a program that links Qt needs beside it, as paths relative to the Qt prefix.
set(VANTREL_WIN_QT_FILES
    bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll bin/Qt6Test.dll
    plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll
    plugins/styles/qwindowsvistastyle.dll
    plugins/imageformats/qico.dll plugins/imageformats/qjpeg.dll plugins/imageformats/qgif.dll)
set(VANTREL_WIN_RUNTIME_FILES libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
foreach(file IN LISTS VANTREL_WIN_QT_FILES)
    if(EXISTS ${VANTREL_WIN_QT}/${file})
        string(REGEX REPLACE "^(bin|plugins)/" "" placed ${file})
        configure_file(${VANTREL_WIN_QT}/${file} ${CMAKE_BINARY_DIR}/bin/${placed} COPYONLY)
    endif()
endforeach()
foreach(file IN LISTS VANTREL_WIN_RUNTIME_FILES)
    configure_file(${VANTREL_WIN_QT}/runtime/${file} ${CMAKE_BINARY_DIR}/bin/${file} COPYONLY)
endforeach()
