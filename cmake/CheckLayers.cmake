# Fails when a source of the game includes a header of a folder above it. Run as
#   cmake -DROOT=<repository> -P cmake/CheckLayers.cmake
# (the build does it before compiling anything). Each top-level folder is one layer and one
# library; bottom to top, and what each may include besides its own headers:
#   files                   nothing
#   tiled, widgets          files (they know nothing of the game)
#   services                tiled, files
#   entities                services, widgets
#   gameplay                entities, services, tiled
#   ui                      gameplay, entities, services, widgets
#   app                     everything
# With every edge pointing down, the folders' includes have no circle. The tests of a folder
# (tests/<folder>/) may include its headers and those of every folder beneath it, and the tests'
# support of those folders (and tests/support/), never a folder above: so a layer's tests build
# without the layers above it.

set(units files tiled widgets services entities gameplay ui app)
set(allowed_files "")
set(allowed_tiled "files")
set(allowed_widgets "files")
set(allowed_services "tiled;files")
set(allowed_entities "services;widgets")
set(allowed_gameplay "entities;services;tiled")
set(allowed_ui "gameplay;entities;services;widgets")
set(allowed_app "ui;gameplay;entities;services;widgets;tiled;files")
# Everything beneath a folder, for its tests.
set(beneath_files "")
set(beneath_tiled "files")
set(beneath_widgets "files")
set(beneath_services "tiled;files")
set(beneath_entities "services;widgets;tiled;files")
set(beneath_gameplay "entities;services;widgets;tiled;files")
set(beneath_ui "gameplay;entities;services;widgets;tiled;files")
set(beneath_app "ui;gameplay;entities;services;widgets;tiled;files")

# The folder of a header: its first path component, the second for a test's header ("tests/x/").
function(folder_of header result)
    string(REGEX REPLACE "^tests/" "" rest "${header}")
    string(REGEX MATCH "^[^/]+/" folder "${rest}")
    string(REGEX REPLACE "/$" "" folder "${folder}")
    set(${result} "${folder}" PARENT_SCOPE)
endfunction()

set(failures "")
foreach(unit ${units})
    foreach(tests "" "tests/")
        if(tests STREQUAL "")
            set(may ${allowed_${unit}})
        else()
            set(may ${beneath_${unit}} support)
        endif()
        file(GLOB sources RELATIVE ${ROOT} ${ROOT}/${tests}${unit}/*.cpp ${ROOT}/${tests}${unit}/*.hpp)
        foreach(source ${sources})
            file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
            foreach(line ${lines})
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
                folder_of("${header}" target)
                list(FIND units "${target}" known)
                if((known EQUAL -1 AND NOT target STREQUAL "support") OR target STREQUAL unit)
                    continue()
                endif()
                list(FIND may ${target} at)
                if(at EQUAL -1)
                    string(APPEND failures "\n  ${source} (${tests}${unit}) includes ${header} (${target})")
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Includes that point up the layers:${failures}")
endif()
