# The last install step of the kit (cmake --install, and cpack's staging), run inside
# cmake_install.cmake after every other install rule: the third-party notices found from
# the link maps, the Authenticode signatures when a certificate is given, then SHA256SUMS
# over every file the kit holds, signed files and notices included.
# The build passes TARSIL_LINK_MAP_DIR, TARSIL_SOURCE_DIR, TARSIL_BINARY_DIR and its
# signing cache variables as TARSIL_CONFIGURED_SIGNING_PKCS12 and
# TARSIL_CONFIGURED_SIGNING_TIMESTAMP_URL.

# Script mode starts with old policies; these files are written for the project's.
cmake_policy(VERSION 3.21)

include(${CMAKE_CURRENT_LIST_DIR}/KitRelease.cmake)

# A relative prefix names a folder from the build tree, as the install rules take it.
cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" NORMALIZE
           OUTPUT_VARIABLE _tarsil_prefix)
set(_tarsil_kit "$ENV{DESTDIR}${_tarsil_prefix}")
set(_tarsil_doc_dir share/doc/TarsilDlg29)
tarsil_kit_files(_tarsil_kit_files "${_tarsil_prefix}" ${CMAKE_INSTALL_MANIFEST_FILES})
tarsil_kit_binaries(_tarsil_kit_binaries ${_tarsil_kit_files})
if(NOT _tarsil_kit_binaries)
  message(FATAL_ERROR "The install put no program or DLL into ${_tarsil_prefix}/bin")
endif()

tarsil_write_notices(_tarsil_notices "${_tarsil_kit}" ${_tarsil_doc_dir} "${TARSIL_LINK_MAP_DIR}"
                     "${TARSIL_SOURCE_DIR}" "${TARSIL_BINARY_DIR}" ${_tarsil_kit_binaries})
message(STATUS "Third-party notices: ${_tarsil_kit}/${_tarsil_doc_dir}/THIRD-PARTY-NOTICES.txt")
list(APPEND _tarsil_kit_files ${_tarsil_notices})

tarsil_sign_binaries("${_tarsil_kit}" "${TARSIL_CONFIGURED_SIGNING_PKCS12}"
                     "${TARSIL_CONFIGURED_SIGNING_TIMESTAMP_URL}" ${_tarsil_kit_binaries})

list(REMOVE_ITEM _tarsil_kit_files SHA256SUMS)
tarsil_write_sha256sums("${_tarsil_kit}" "${_tarsil_kit}/SHA256SUMS" ${_tarsil_kit_files})
message(STATUS "Checksums: ${_tarsil_kit}/SHA256SUMS")

# The written files belong to the install like the copied ones (install_manifest.txt).
foreach(_tarsil_name IN LISTS _tarsil_notices ITEMS SHA256SUMS)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_tarsil_prefix}/${_tarsil_name}")
endforeach()
