# cpack's post-build step: writes the kit's zip again so that two builds of one commit give
# the same bytes, and SHA256SUMS beside it. CPack's zip stores each file's access and
# change times, its owner and the order in which the disk lists the files; this one holds
# the staged kit's files in byte order of their names, each with the same time (see
# tarsil_source_date_epoch) in UTC, fixed modes and no extra fields.

# Script mode starts with old policies; these files are written for the project's.
cmake_policy(VERSION 3.21)

include(${CMAKE_CURRENT_LIST_DIR}/KitRelease.cmake)

find_program(TARSIL_ZIP zip)
find_program(TARSIL_TOUCH touch)
if(NOT TARSIL_ZIP OR NOT TARSIL_TOUCH)
  message(FATAL_ERROR "Writing the kit's zip needs zip (Debian package zip) and touch")
endif()

set(_tarsil_staged "${CPACK_TEMPORARY_DIRECTORY}")
list(GET CPACK_PACKAGE_FILES 0 _tarsil_zip)
tarsil_source_date_epoch(_tarsil_epoch "${CPACK_TARSIL_SOURCE_DIR}")

file(GLOB_RECURSE _tarsil_files LIST_DIRECTORIES false RELATIVE "${_tarsil_staged}" "${_tarsil_staged}/*")
list(SORT _tarsil_files)
tarsil_kit_binaries(_tarsil_binaries ${_tarsil_files})
foreach(_tarsil_name IN LISTS _tarsil_files)
  if(_tarsil_name IN_LIST _tarsil_binaries)
    file(CHMOD "${_tarsil_staged}/${_tarsil_name}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
             GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD "${_tarsil_staged}/${_tarsil_name}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
execute_process(COMMAND ${TARSIL_TOUCH} -d @${_tarsil_epoch} -- ${_tarsil_files}
                WORKING_DIRECTORY "${_tarsil_staged}" RESULT_VARIABLE _tarsil_failed)
if(_tarsil_failed)
  message(FATAL_ERROR "Could not set the times of the staged kit")
endif()

# zip reads the names from its input, one a line. It writes a time as local time: in UTC,
# every builder's zip holds the same.
list(JOIN _tarsil_files "\n" _tarsil_list)
file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/zip-entries.txt" "${_tarsil_list}\n")
file(REMOVE "${_tarsil_zip}")
set(ENV{TZ} UTC0)
execute_process(COMMAND ${TARSIL_ZIP} -X -D -q -9 "${_tarsil_zip}" -@
                WORKING_DIRECTORY "${_tarsil_staged}" INPUT_FILE "${CPACK_TOPLEVEL_DIRECTORY}/zip-entries.txt"
                RESULT_VARIABLE _tarsil_failed)
if(_tarsil_failed)
  message(FATAL_ERROR "zip could not write ${_tarsil_zip}")
endif()

get_filename_component(_tarsil_zip_dir "${_tarsil_zip}" DIRECTORY)
get_filename_component(_tarsil_zip_name "${_tarsil_zip}" NAME)
tarsil_write_sha256sums("${_tarsil_zip_dir}" "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${_tarsil_zip_name}")
message(STATUS "Checksums: ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS")
