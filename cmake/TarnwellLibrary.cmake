# tarnwell_library(NAME SOURCES... [LINKS libraries...])
#
# One static library per subsystem folder. Its headers are included as "<folder>/Name.h", and a
# library sees only its own folder and the folders of the libraries it links: each folder is
# exposed through an include tree of its own in the build folder (a single link named after the
# folder), never through the whole source tree. An include against the layering therefore fails
# to compile instead of quietly building a circle.
function(tarnwell_library name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  tarnwell_expose_folder(${name} root)
  add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# Makes ${CMAKE_BINARY_DIR}/include/NAME/<this folder's name> point at this folder and returns the
# include root in OUT.
function(tarnwell_expose_folder name out)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  set(${out} ${root} PARENT_SCOPE)
endfunction()
