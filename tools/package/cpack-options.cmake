# Read by CPack once per generator. The unpacked archive is played as ./skorvane from its top folder.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/archive-launcher.cmake)
endif()
