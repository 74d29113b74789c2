# The Debian package: built by cpack in the build folder, unpacked into a scratch root, the
# unpacked program run there, and its control fields read back.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${CPACK}" -G DEB -B "${WORK}/out" WORKING_DIRECTORY "${BUILD}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs "${WORK}/out/vesk_*_amd64.deb")
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made no vesk_<version>_amd64.deb (${rc}): ${out} ${err}")
endif()
list(GET debs 0 deb)

execute_process(COMMAND dpkg-deb -x "${deb}" "${WORK}/root" RESULT_VARIABLE rc)
foreach(f usr/bin/vesk usr/share/applications/vesk.desktop usr/share/icons/hicolor/scalable/apps/vesk.svg)
    if(NOT EXISTS "${WORK}/root/${f}")
        message(FATAL_ERROR "the package lacks ${f}")
    endif()
endforeach()
file(READ "${WORK}/root/usr/share/applications/vesk.desktop" desktop)
if(NOT desktop MATCHES "Name\\[zh_CN\\]=" OR NOT desktop MATCHES "Exec=vesk" OR NOT desktop MATCHES "Icon=vesk")
    message(FATAL_ERROR "the desktop entry lacks its Chinese name, command or icon:\n${desktop}")
endif()

execute_process(COMMAND "${WORK}/root/usr/bin/vesk" --create-database "${WORK}/unpacked.mdb"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/unpacked.mdb")
    message(FATAL_ERROR "the unpacked program did not make a database (${rc}): ${out} ${err}")
endif()

execute_process(COMMAND dpkg-deb -I "${deb}" OUTPUT_VARIABLE info RESULT_VARIABLE rc)
foreach(dep libqt6widgets6 libqt6sql6 libssl3 libqt6sql6-sqlite libqt6sql6-psql fonts-noto-cjk qt6-translations-l10n)
    if(NOT info MATCHES "Depends:[^\n]*${dep}")
        message(FATAL_ERROR "the package does not depend on ${dep}:\n${info}")
    endif()
endforeach()
