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
# With every edge pointing down, the folders' includes have no circle.

set(units files tiled widgets services entities gameplay ui app)
set(allowed_files "")
set(allowed_tiled "files")
set(allowed_widgets "files")
set(allowed_services "tiled;files")
set(allowed_entities "services;widgets")
set(allowed_gameplay "entities;services;tiled")
set(allowed_ui "gameplay;entities;services;widgets")
set(allowed_app "ui;gameplay;entities;services;widgets;tiled;files")

set(failures "")
foreach(unit ${units})
    file(GLOB sources RELATIVE ${ROOT} ${ROOT}/${unit}/*.cpp ${ROOT}/${unit}/*.hpp)
    foreach(source ${sources})
        file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
            # The folder a header belongs to is its first path component.
            string(REGEX MATCH "^[^/]+/" target "${header}")
            string(REGEX REPLACE "/$" "" target "${target}")
            list(FIND units "${target}" known)
            if(known EQUAL -1 OR target STREQUAL unit)
                continue()
            endif()
            list(FIND allowed_${unit} ${target} at)
            if(at EQUAL -1)
                string(APPEND failures "\n  ${source} (${unit}) includes ${header} (${target})")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Includes that point up the layers:${failures}")
endif()
