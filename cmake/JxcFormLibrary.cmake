# jxc_form_library(NAME DEPS...): a folder of forms as one static library, named NAME, built
# from every source and Designer file of the folder (layouts compiled by uic) and linked
# publicly to DEPS.
function(jxc_form_library name)
  file(GLOB _src CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  add_library(${name} STATIC ${_src})
  target_link_libraries(${name} PUBLIC ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOUIC ON)
endfunction()
