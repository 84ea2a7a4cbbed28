# CMake package of TarsilDlg29.dll. A host writes
#
#   find_package(TarsilDlg29 REQUIRED)
#   target_link_libraries(host PRIVATE TarsilDlg29::TarsilDlg29)
#
# and ships bin/TarsilDlg29.dll next to its program. Tests that drive the dialog link
# TarsilDlg29::Driver as well (the header-only TarsilDlg29Driver.h, C++17).

get_filename_component(_tarsil_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT TARGET TarsilDlg29::TarsilDlg29)
  add_library(TarsilDlg29::TarsilDlg29 SHARED IMPORTED)
  # MSVC and clang-cl link the .lib; MinGW toolchains the .dll.a (lld takes either).
  if(MSVC)
    set(_tarsil_implib "${_tarsil_prefix}/lib/TarsilDlg29.lib")
  else()
    set(_tarsil_implib "${_tarsil_prefix}/lib/libTarsilDlg29.dll.a")
  endif()
  set_target_properties(TarsilDlg29::TarsilDlg29 PROPERTIES
    IMPORTED_LOCATION "${_tarsil_prefix}/bin/TarsilDlg29.dll"
    IMPORTED_IMPLIB "${_tarsil_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_tarsil_prefix}/include")
  unset(_tarsil_implib)

  add_library(TarsilDlg29::Driver INTERFACE IMPORTED)
  set_target_properties(TarsilDlg29::Driver PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_tarsil_prefix}/include"
    INTERFACE_LINK_LIBRARIES "TarsilDlg29::TarsilDlg29;user32;gdi32")
endif()

unset(_tarsil_prefix)
