# What turns an installed kit into a release a host can check: the third-party notices
# found from the link maps, Authenticode signatures, SHA256SUMS and the time the zip's
# entries carry. Used in script mode by FinishKit.cmake (the last install step) and by
# ReproducibleZip.cmake (cpack's post-build step).

# Script mode starts with old policies; these files are written for the project's.
cmake_policy(VERSION 3.21)

# Writes OUTPUT in the format of sha256sum, so that `sha256sum -c` checks it: one
# "<hash>  <name>" line for each of the files (names relative to BASE), in byte order.
function(tarsil_write_sha256sums base output)
  set(names ${ARGN})
  list(SORT names)
  set(text "")
  foreach(name IN LISTS names)
    file(SHA256 "${base}/${name}" hash)
    string(APPEND text "${hash}  ${name}\n")
  endforeach()
  tarsil_write_kit_file("${output}" "${text}")
endfunction()

# Writes a file of the kit with the modes install() gives the files it copies, whatever
# the umask.
function(tarsil_write_kit_file path text)
  file(WRITE "${path}" "${text}")
  file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# The time every entry of the zip carries: SOURCE_DATE_EPOCH when set, else the time of
# the source tree's last commit, else the earliest time a zip can hold (1980-01-01 UTC).
function(tarsil_source_date_epoch out_var source_dir)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT epoch MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not '${epoch}'")
    endif()
    set(${out_var} ${epoch} PARENT_SCOPE)
    return()
  endif()
  find_program(TARSIL_GIT git)
  if(TARSIL_GIT)
    execute_process(COMMAND ${TARSIL_GIT} -C "${source_dir}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed AND epoch MATCHES "^[0-9]+$")
      set(${out_var} ${epoch} PARENT_SCOPE)
      return()
    endif()
  endif()
  set(${out_var} 315532800 PARENT_SCOPE)
endfunction()

# The files of the kit that this install wrote, relative to PREFIX, from the install
# manifest: a kit installed into a folder that holds other things covers only its own.
function(tarsil_kit_files out_var prefix)
  set(names "")
  foreach(path IN LISTS ARGN)
    cmake_path(NORMAL_PATH path)
    cmake_path(IS_PREFIX prefix "${path}" NORMALIZE inside)
    if(inside)
      file(RELATIVE_PATH name "${prefix}" "${path}")
      list(APPEND names "${name}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

# The programs and DLLs among the kit's files: everything in bin/ that Windows runs.
function(tarsil_kit_binaries out_var)
  set(binaries "")
  foreach(name IN LISTS ARGN)
    string(TOLOWER "${name}" lower)
    if(lower MATCHES "^bin/[^/]+\\.(dll|exe)$")
      list(APPEND binaries "${name}")
    endif()
  endforeach()
  set(${out_var} ${binaries} PARENT_SCOPE)
endfunction()

# Sets OUT_VAR to TRUE when PATH lies outside the project's source and build trees.
function(tarsil_is_foreign out_var path source_dir binary_dir)
  cmake_path(IS_PREFIX source_dir "${path}" NORMALIZE in_source)
  cmake_path(IS_PREFIX binary_dir "${path}" NORMALIZE in_build)
  if(in_source OR in_build)
    set(${out_var} FALSE PARENT_SCOPE)
  else()
    set(${out_var} TRUE PARENT_SCOPE)
  endif()
endfunction()

# The files from outside the project that one link took code from, as real paths: the
# archives the linker pulled members from ("archive(member)" lines at the start of a line,
# which only the map's list of included members has) and the objects it loaded whole (the
# runtime's start-up and constructor objects). Relative paths and paths in the project's
# source and build trees are the project's own.
function(tarsil_linked_foreign_files out_var map_file source_dir binary_dir)
  file(STRINGS "${map_file}" lines REGEX "^(LOAD )?/")
  set(found "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^(/[^ (]+)\\(")
      set(path "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^LOAD (/[^ ]+\\.(o|obj))$")
      set(path "${CMAKE_MATCH_1}")
    else()
      continue()
    endif()
    file(REAL_PATH "${path}" path)
    tarsil_is_foreign(foreign "${path}" "${source_dir}" "${binary_dir}")
    if(foreign)
      list(APPEND found "${path}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES found)
  list(SORT found)
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# The headers from outside the project that the binary's own code was compiled with, as
# real paths: header-only libraries (and the inline code of the toolchain's headers) end up
# in the binary without the linker ever naming them. The project's objects that the link
# took ("archive(member.obj)" lines of the map) lead to the compiler's dependency files
# (<object>.d beside each object in CMakeFiles/<target>.dir), which name every header. An
# object without one stops the install, as a notice could be missing.
function(tarsil_compiled_foreign_headers out_var map_file source_dir binary_dir)
  file(STRINGS "${map_file}" lines REGEX "^[^ ]+\\([^ )]+\\.obj\\)$")
  set(depfiles "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([^ (]+)\\(([^ )]+)\\)$" parts "${line}")
    set(archive "${CMAKE_MATCH_1}")
    set(member "${CMAKE_MATCH_2}")
    if(archive MATCHES "^/")
      tarsil_is_foreign(foreign "${archive}" "${source_dir}" "${binary_dir}")
      if(foreign)
        continue() # the toolchain's archives, which the link's own notices cover
      endif()
    endif()
    if(archive MATCHES "CMakeFiles/([^/]+)\\.dir/objects\\.a$")
      set(target "${CMAKE_MATCH_1}")
    elseif(archive MATCHES "(^|/)lib([^/]+)\\.a$")
      set(target "${CMAKE_MATCH_2}")
    else()
      message(FATAL_ERROR "${map_file}: cannot tell which target made ${archive}")
    endif()
    file(GLOB target_dirs LIST_DIRECTORIES true "${binary_dir}/CMakeFiles/${target}.dir"
         "${binary_dir}/*/CMakeFiles/${target}.dir" "${binary_dir}/*/*/CMakeFiles/${target}.dir")
    set(found "")
    foreach(target_dir IN LISTS target_dirs)
      file(GLOB_RECURSE candidates "${target_dir}/${member}.d" "${target_dir}/*/${member}.d")
      list(APPEND found ${candidates})
    endforeach()
    if(NOT found)
      message(FATAL_ERROR "No dependency file for ${member} of ${archive}: which headers it was compiled "
                          "from is unknown")
    endif()
    list(APPEND depfiles ${found})
  endforeach()
  list(REMOVE_DUPLICATES depfiles)

  set(headers "")
  foreach(depfile IN LISTS depfiles)
    file(READ "${depfile}" text)
    # Make's syntax: a space within a path is escaped with a backslash (a build folder's
    # path may hold spaces, and header-only libraries are reached through it).
    string(REPLACE "\\ " "<space>" text "${text}")
    string(REGEX MATCHALL "/[^ \\\n\t:]+" paths "${text}")
    list(TRANSFORM paths REPLACE "<space>" " ")
    foreach(path IN LISTS paths)
      # Most objects name the same headers: each path is looked at once. (Appending every
      # foreign path, repeats and all, took one to two minutes for the station's 28,000.)
      if(DEFINED "seen ${path}")
        continue()
      endif()
      set("seen ${path}" TRUE)
      if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}" OR path MATCHES "\\.(o|obj)$")
        continue()
      endif()
      file(REAL_PATH "${path}" path)
      tarsil_is_foreign(foreign "${path}" "${source_dir}" "${binary_dir}")
      if(foreign)
        list(APPEND headers "${path}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES headers)
  list(SORT headers)
  set(${out_var} ${headers} PARENT_SCOPE)
endfunction()

# Writes DOC_DIR/THIRD-PARTY-NOTICES.txt and DOC_DIR/third-party/: for every binary of the
# kit, the foreign files its link took code from, grouped by the Debian package that
# provides each (dpkg knows every file of a package); each package's copyright file; and
# the licence texts of /usr/share/common-licenses those copyright files refer to. A foreign
# file that no package provides, or a referenced licence that is missing, stops the install:
# a notice must never be left out silently. Sets OUT_VAR to the files written, relative to
# KIT.
function(tarsil_write_notices out_var kit doc_dir map_dir source_dir binary_dir)
  set(binaries ${ARGN})
  set(all_foreign "")
  foreach(binary IN LISTS binaries)
    get_filename_component(file_name "${binary}" NAME)
    set(map_file "${map_dir}/${file_name}.map")
    if(NOT EXISTS "${map_file}")
      message(FATAL_ERROR "No link map for ${binary} (expected ${map_file}): every program and DLL of the kit "
                          "must be linked by this build, whose maps name what each one contains.")
    endif()
    tarsil_linked_foreign_files(foreign_${binary} "${map_file}" "${source_dir}" "${binary_dir}")
    # Every binary of this toolchain links its runtime's start-up code, so an empty list
    # means a map this function cannot read (another linker's), not a binary without notices.
    if(NOT foreign_${binary})
      message(FATAL_ERROR "${map_file} names no file from outside the project: not a map of GNU ld?")
    endif()
    tarsil_compiled_foreign_headers(headers_${binary} "${map_file}" "${source_dir}" "${binary_dir}")
    list(APPEND all_foreign ${foreign_${binary}} ${headers_${binary}})
  endforeach()
  list(REMOVE_DUPLICATES all_foreign)

  set(packages "")
  execute_process(COMMAND dpkg-query -S ${all_foreign} OUTPUT_VARIABLE owners ERROR_VARIABLE error
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Linked into the kit but not from a Debian package, so its licence is unknown:\n${error}")
  endif()
  string(REPLACE "\n" ";" owners "${owners}")
  foreach(line IN LISTS owners)
    if(line MATCHES "^diversion " OR NOT line MATCHES "^(.+): (/.+)$")
      continue()
    endif()
    set(path "${CMAKE_MATCH_2}")
    string(REPLACE ", " ";" owner_list "${CMAKE_MATCH_1}")
    list(GET owner_list 0 owner)
    string(REGEX REPLACE ":.*$" "" owner "${owner}") # the architecture qualifier
    set(package_of_${path} "${owner}")
    list(APPEND packages "${owner}")
  endforeach()
  foreach(path IN LISTS all_foreign)
    if(NOT DEFINED package_of_${path})
      message(FATAL_ERROR "dpkg-query did not say which package provides ${path}:\n${owners}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)

  set(third_party "${doc_dir}/third-party")
  file(REMOVE_RECURSE "${kit}/${third_party}")
  set(written "")
  set(licences "")
  foreach(package IN LISTS packages)
    execute_process(COMMAND dpkg-query -W -f=\${Version} "${package}" OUTPUT_VARIABLE version_of_${package})
    # Debian ships one copyright file for packages built from one source (a shared doc folder).
    file(REAL_PATH "/usr/share/doc/${package}/copyright" copyright)
    if(NOT EXISTS "${copyright}")
      message(FATAL_ERROR "Package ${package} has no copyright file at /usr/share/doc/${package}/copyright")
    endif()
    get_filename_component(doc_name "${copyright}" DIRECTORY)
    get_filename_component(doc_name "${doc_name}" NAME)
    set(copyright_of_${package} "third-party/${doc_name}/copyright")
    if(NOT "${third_party}/${doc_name}/copyright" IN_LIST written)
      file(MAKE_DIRECTORY "${kit}/${third_party}/${doc_name}")
      file(READ "${copyright}" text)
      tarsil_write_kit_file("${kit}/${third_party}/${doc_name}/copyright" "${text}")
      list(APPEND written "${third_party}/${doc_name}/copyright")
      string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9+_.-]*[A-Za-z0-9+_-]" references "${text}")
      list(APPEND licences ${references})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES licences)
  list(SORT licences)
  set(licence_names "")
  foreach(licence IN LISTS licences)
    if(NOT EXISTS "${licence}")
      message(FATAL_ERROR "A copyright file of the kit refers to ${licence}, which this system lacks")
    endif()
    get_filename_component(name "${licence}" NAME)
    file(READ "${licence}" text)
    file(MAKE_DIRECTORY "${kit}/${third_party}/common-licenses")
    tarsil_write_kit_file("${kit}/${third_party}/common-licenses/${name}" "${text}")
    list(APPEND written "${third_party}/common-licenses/${name}")
    list(APPEND licence_names "${name}")
  endforeach()

  string(CONCAT notices
    "Third-party code in the binaries of this kit\n"
    "============================================\n\n"
    "Besides TarsilDlg29's own code, the programs and DLLs in bin/ contain parts of the\n"
    "runtime libraries of the toolchain that built them (Debian's MinGW-w64 cross-compiler),\n"
    "linked in statically, and code of the headers they were compiled with. This list was\n"
    "made by the build from each binary's link map and its objects' dependency files: every\n"
    "file from outside the project that the linker took code from, the folders of the\n"
    "headers from outside the project that its code included, the Debian package that\n"
    "provides each, and the file in this folder that holds the package's copyright and\n"
    "licence terms.\n")
  foreach(binary IN LISTS binaries)
    string(APPEND notices "\n${binary}\n")
    foreach(package IN LISTS packages)
      set(from_package "")
      foreach(path IN LISTS foreign_${binary})
        if(package_of_${path} STREQUAL package)
          list(APPEND from_package "${path}")
        endif()
      endforeach()
      # Headers are many: their folders say enough.
      set(header_dirs "")
      foreach(path IN LISTS headers_${binary})
        if(package_of_${path} STREQUAL package)
          get_filename_component(dir "${path}" DIRECTORY)
          list(APPEND header_dirs "${dir}/")
        endif()
      endforeach()
      list(REMOVE_DUPLICATES header_dirs)
      set(top_dirs "")
      foreach(dir IN LISTS header_dirs)
        set(below_another FALSE)
        foreach(other IN LISTS header_dirs)
          string(FIND "${dir}" "${other}" at)
          if(at EQUAL 0 AND NOT dir STREQUAL other)
            set(below_another TRUE)
          endif()
        endforeach()
        if(NOT below_another)
          list(APPEND top_dirs "${dir}")
        endif()
      endforeach()
      set(header_dirs ${top_dirs})
      if(from_package OR header_dirs)
        string(APPEND notices "  ${package} ${version_of_${package}}, terms in ${copyright_of_${package}}\n")
        foreach(path IN LISTS from_package)
          string(APPEND notices "    ${path}\n")
        endforeach()
        foreach(dir IN LISTS header_dirs)
          string(APPEND notices "    headers in ${dir} and below\n")
        endforeach()
      endif()
    endforeach()
  endforeach()
  if(licence_names)
    list(JOIN licence_names ", " licence_list)
    string(APPEND notices "\nLicence texts those copyright files refer to, in third-party/common-licenses/:\n"
                          "  ${licence_list}\n")
  endif()
  tarsil_write_kit_file("${kit}/${doc_dir}/THIRD-PARTY-NOTICES.txt" "${notices}")
  list(APPEND written "${doc_dir}/THIRD-PARTY-NOTICES.txt")
  set(${out_var} ${written} PARENT_SCOPE)
endfunction()

# Signs the binaries (relative to KIT) in place with Authenticode when a code-signing
# certificate is given: TARSIL_SIGNING_PKCS12 names the PKCS#12 file and
# TARSIL_SIGNING_TIMESTAMP_URL an RFC 3161 time-stamp server, each from the environment
# of the install or else from the build's cache variable of that name (passed in here);
# the password comes from the environment only (TARSIL_SIGNING_PASSWORD). Without a
# certificate nothing happens.
function(tarsil_sign_binaries kit configured_pkcs12 configured_timestamp_url)
  set(pkcs12 "$ENV{TARSIL_SIGNING_PKCS12}")
  if(pkcs12 STREQUAL "")
    set(pkcs12 "${configured_pkcs12}")
  endif()
  if(pkcs12 STREQUAL "")
    return()
  endif()
  set(timestamp_url "$ENV{TARSIL_SIGNING_TIMESTAMP_URL}")
  if(timestamp_url STREQUAL "")
    set(timestamp_url "${configured_timestamp_url}")
  endif()
  if(NOT EXISTS "${pkcs12}")
    message(FATAL_ERROR "The code-signing certificate ${pkcs12} does not exist")
  endif()
  if(NOT DEFINED ENV{TARSIL_SIGNING_PASSWORD})
    message(FATAL_ERROR "Signing with ${pkcs12} needs its password in the environment: TARSIL_SIGNING_PASSWORD")
  endif()
  find_program(TARSIL_OSSLSIGNCODE osslsigncode)
  if(NOT TARSIL_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode)")
  endif()
  foreach(binary IN LISTS ARGN)
    execute_process(COMMAND bash "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sign-binary.sh" "${TARSIL_OSSLSIGNCODE}"
                            "${kit}/${binary}" "${pkcs12}" "${timestamp_url}"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Signing ${binary} failed")
    endif()
    if(timestamp_url STREQUAL "")
      message(STATUS "Signed: ${binary}")
    else()
      message(STATUS "Signed and time-stamped: ${binary}")
    endif()
  endforeach()
endfunction()
