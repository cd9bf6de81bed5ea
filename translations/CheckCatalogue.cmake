# cmake -DLUPDATE=... -DARGUMENTS=a|b|... -DCATALOGUE=... -DSCRATCH=... -P CheckCatalogue.cmake
# lupdate runs on a copy of the catalogue, keeping what vanished, so any change to the copy is a text
# that the sources and the catalogue disagree on.
file(READ "${CATALOGUE}" committed)
foreach(mark "type=\"unfinished\"" "type=\"vanished\"" "type=\"obsolete\"" "<translation></translation>")
    string(FIND "${committed}" "${mark}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "translations/zendra_en.ts holds a message marked ${mark}: translate it in Qt Linguist")
    endif()
endforeach()
string(REPLACE "|" ";" ARGUMENTS "${ARGUMENTS}")
file(COPY_FILE "${CATALOGUE}" "${SCRATCH}")
execute_process(COMMAND "${LUPDATE}" ${ARGUMENTS} -ts "${SCRATCH}" RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
    message(FATAL_ERROR "lupdate failed: ${said}")
endif()
file(READ "${SCRATCH}" updated)
if(NOT updated STREQUAL committed)
    message(FATAL_ERROR "translations/zendra_en.ts is out of date with the sources (${said}); "
                        "run `cmake --build build --target zendra_lupdate` and translate what it marks unfinished")
endif()
