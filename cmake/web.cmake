# The browser build with Debian's emscripten (tools/web/build.sh).
# KESTRAVEL_WEB_PREFIX: where SDL2, SDL2_image and SDL2_mixer built from Debian's sources are.
# em++ reads -lSDL2 and its kin as requests for emscripten's own downloads, which this machine
# cannot make: the libraries go in by path, standing in for the pkg-config target.
set(KESTRAVEL_WEB_PREFIX "" CACHE PATH "SDL libraries built for the browser")
foreach(library SDL2_mixer SDL2_image SDL2)
    if(NOT EXISTS ${KESTRAVEL_WEB_PREFIX}/lib/lib${library}.a)
        message(FATAL_ERROR "lib${library}.a not in KESTRAVEL_WEB_PREFIX (${KESTRAVEL_WEB_PREFIX}/lib)")
    endif()
endforeach()
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_include_directories(PkgConfig::SDL2 INTERFACE ${KESTRAVEL_WEB_PREFIX}/include/SDL2)
target_link_libraries(PkgConfig::SDL2 INTERFACE ${KESTRAVEL_WEB_PREFIX}/lib/libSDL2_mixer.a
    ${KESTRAVEL_WEB_PREFIX}/lib/libSDL2_image.a ${KESTRAVEL_WEB_PREFIX}/lib/libSDL2.a)
target_link_options(PkgConfig::SDL2 INTERFACE
    -sENVIRONMENT=web
    -sALLOW_MEMORY_GROWTH=1
    # The data comes as a package of its own, loaded by the page.
    -sFORCE_FILESYSTEM=1
    # SDL 2.26's audio calls these from JavaScript; without them the game never starts. Read
    # from a file: the build tools would mangle the names' leading $.
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_CURRENT_LIST_DIR}/web-library-functions.json
    -sEXPORTED_RUNTIME_METHODS=callMain
    -sINVOKE_RUN=0)
