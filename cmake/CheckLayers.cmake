cmake_minimum_required(VERSION 3.22)
# Checks the layers of the source tree; run with cmake -P.
#   SRC          the source folder
#   CORE         the sources of vesk_core, relative to SRC (a CMake list)
#   WIDGETS_DIR  the folder of Qt's widget headers (QWidget, qdialog.h, ...)
# Fails, naming every offending line, when
#   - a file of vesk_core includes a widget header of Qt, a screen (a unit named ...Ut), a
#     generated form (ui_...) or anything under widgets/ or report/;
#   - a file of app/ other than the screen registry includes a screen of another folder.

set(problems "")

file(GLOB widget_headers RELATIVE "${WIDGETS_DIR}" "${WIDGETS_DIR}/*")
set(widget_names "")
foreach(h ${widget_headers})
    list(APPEND widget_names "${h}")
endforeach()

foreach(f ${CORE})
    if(NOT f MATCHES "\\.(h|cpp)$")
        continue()
    endif()
    file(STRINGS "${SRC}/${f}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
        get_filename_component(base "${header}" NAME)
        if(header MATCHES "^(QtWidgets|QtPrintSupport)/" OR header MATCHES "Ut\\.h$"
           OR header MATCHES "^ui_" OR header MATCHES "^(widgets|report)/")
            list(APPEND problems "${f}: ${line}")
        elseif(NOT header MATCHES "/" AND base IN_LIST widget_names)
            list(APPEND problems "${f}: ${line}")
        endif()
    endforeach()
endforeach()

file(GLOB app_files RELATIVE "${SRC}" "${SRC}/app/*.h" "${SRC}/app/*.cpp")
foreach(f ${app_files})
    if(f MATCHES "^app/ScreenRegistry\\.")
        continue()
    endif()
    file(STRINGS "${SRC}/${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
        if(header MATCHES "^[A-Za-z_]+/.*Ut\\.h$" AND NOT header MATCHES "^app/")
            list(APPEND problems "${f}: ${line} (screens are opened through app/ScreenRegistry)")
        endif()
    endforeach()
endforeach()

if(problems)
    foreach(p ${problems})
        message(SEND_ERROR "layer broken: ${p}")
    endforeach()
    message(FATAL_ERROR "the layers of the source tree are broken")
endif()
