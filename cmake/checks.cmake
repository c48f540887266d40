# Build options that CI switches on to keep the code honest: warnings as errors, a
# ThreadSanitizer build, and the libFuzzer programs of tests/fuzz. Included before any target is
# defined, so that the flags reach every one of them.
option(VANTREL_WERROR "Treat compiler warnings in Vantrel's own code as errors" OFF)
option(VANTREL_TSAN "Build with ThreadSanitizer" OFF)
option(VANTREL_FUZZ "Build the libFuzzer programs of tests/fuzz (needs clang)" OFF)

if(WIN32 AND (VANTREL_TSAN OR VANTREL_FUZZ OR VANTREL_SANITIZE))
    message(FATAL_ERROR "The sanitizer and fuzz builds are Linux builds: MinGW-w64 has none of "
                        "their runtimes")
endif()

if(VANTREL_WERROR)
    # Qt's and GoogleTest's headers come in as system headers: only our own code counts.
    add_compile_options(-Werror)
endif()

if(VANTREL_TSAN)
    if(VANTREL_SANITIZE OR VANTREL_FUZZ)
        message(FATAL_ERROR "VANTREL_TSAN cannot be combined with VANTREL_SANITIZE or VANTREL_FUZZ")
    endif()
    # The encoder adapter (bin/DLL/ffmpeg, with its library and its test stand-in for FFmpeg) is
    # left out: it has one thread, so there is nothing to find in it, and ThreadSanitizer holds
    # a signal back until its thread next calls into the runtime, which a read restarted after
    # the signal never does, so the adapter would no longer pass SIGTERM on to FFmpeg.
    set(tsan_skipped "ffmpeg_adapter$<SEMICOLON>ffmpeg_translate$<SEMICOLON>fake_ffmpeg")
    set(tsan "$<NOT:$<IN_LIST:$<TARGET_PROPERTY:NAME>,${tsan_skipped}>>")
    add_compile_options("$<${tsan}:-fsanitize=thread>" "$<${tsan}:-fno-omit-frame-pointer>")
    add_link_options("$<${tsan}:-fsanitize=thread>")
endif()

if(VANTREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VANTREL_FUZZ needs clang's libFuzzer: configure a separate build "
                            "folder with CC=clang CXX=clang++")
    endif()
    # Every library is instrumented for libFuzzer's coverage and checked by AddressSanitizer and
    # UndefinedBehaviorSanitizer; the fuzz programs add libFuzzer's main when linked.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    add_subdirectory(tests/fuzz)
endif()
