# Puts a fresh db.mdb and empty key.exe / sk.exe into FOLDER, each only when missing.
# Each is created owner-only (umask 077), not restricted afterwards: they will hold
# credentials, and a file opened while it was readable stays readable to that opener.
find_program(SQLITE3 sqlite3 REQUIRED)
if(NOT EXISTS "${FOLDER}/db.mdb")
  set(tmp "${FOLDER}/db.mdb.building")
  file(REMOVE "${tmp}")
  execute_process(COMMAND sh -c "umask 077 && exec \"$0\" \"$1\"" ${SQLITE3} "${tmp}"
                  INPUT_FILE "${SCHEMA}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(REMOVE "${tmp}")
    message(FATAL_ERROR "could not create db.mdb from ${SCHEMA}")
  endif()
  file(CHMOD "${tmp}" PERMISSIONS OWNER_READ OWNER_WRITE)
  file(RENAME "${tmp}" "${FOLDER}/db.mdb")
endif()
foreach(carrier key.exe sk.exe)
  if(NOT EXISTS "${FOLDER}/${carrier}")
    execute_process(COMMAND sh -c "umask 077 && : >> \"$0\"" "${FOLDER}/${carrier}")
    file(CHMOD "${FOLDER}/${carrier}" PERMISSIONS OWNER_READ OWNER_WRITE)
  endif()
endforeach()
