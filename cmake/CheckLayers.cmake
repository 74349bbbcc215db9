# Fails when a source of the game includes a header of a unit above it. Run as
#   cmake -DROOT=<repository> -P cmake/CheckLayers.cmake
# (the build does it before compiling anything). The units, bottom to top, and what each may use:
#   files                   nothing
#   tiled, widgets          files, nothing of the game
#   app/services            tiled, files
#   entities                app/services, widgets
#   gameplay                entities, app/services, tiled
#   ui                      gameplay, entities, app/services, widgets
#   app                     everything
# A unit may always include its own headers. With every edge pointing down, the folders'
# includes have no circle.

set(units files tiled widgets app/services entities gameplay ui app)
set(allowed_files "files")
set(allowed_tiled "tiled;files")
set(allowed_widgets "widgets;files")
set(allowed_app/services "app/services;tiled;files")
set(allowed_entities "entities;app/services;widgets")
set(allowed_gameplay "gameplay;entities;app/services;tiled")
set(allowed_ui "ui;gameplay;entities;app/services;widgets")
set(allowed_app "app;ui;gameplay;entities;app/services;widgets;tiled;files")

# The unit a repository path belongs to ("" for none), the most specific folder first.
function(unit_of path result)
    set(found "")
    foreach(unit app/services files tiled widgets entities gameplay ui app)
        if(path MATCHES "^${unit}/")
            set(found ${unit})
            break()
        endif()
    endforeach()
    set(${result} ${found} PARENT_SCOPE)
endfunction()

set(failures "")
foreach(unit ${units})
    file(GLOB sources RELATIVE ${ROOT} ${ROOT}/${unit}/*.cpp ${ROOT}/${unit}/*.hpp)
    foreach(source ${sources})
        file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
            unit_of(${header} target)
            if(target STREQUAL "")
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
