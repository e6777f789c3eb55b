# The Windows side of packaging, included by packaging/CMakeLists.txt: an icon and a version
# resource in each program, so that Explorer shows the name, version and licence; and, with the
# window, an installer (Debian's makensis) and a plain zip of the same files for people who cannot
# install.
enable_language(RC)
set(windows_dir ${CMAKE_CURRENT_BINARY_DIR}/windows)

# The icon, drawn from the SVG at the sizes Explorer and the taskbar ask for.
find_program(TARNWELL_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(TARNWELL_ICOTOOL icotool REQUIRED)
set(TARNWELL_WINDOWS_ICON ${windows_dir}/tarnwell.ico)
set(icon_pngs)
foreach(size IN ITEMS 16 24 32 48 64 256)
  set(png ${windows_dir}/icon-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${TARNWELL_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/packaging/tarnwell.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/tarnwell.svg
    VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
# The largest as PNG inside the icon, as Windows since Vista reads it.
list(POP_BACK icon_pngs large_png)
add_custom_command(OUTPUT ${TARNWELL_WINDOWS_ICON}
  COMMAND ${TARNWELL_ICOTOOL} -c -o ${TARNWELL_WINDOWS_ICON} ${icon_pngs} --raw=${large_png}
  DEPENDS ${icon_pngs} ${large_png}
  VERBATIM)
add_custom_target(tarnwell-windows-icon DEPENDS ${TARNWELL_WINDOWS_ICON})

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TARNWELL_LICENSE_NAME LIMIT_COUNT 1)

# tarnwell_windows_program(PROGRAM SUMMARY): the icon and version resource, and stripped.
function(tarnwell_windows_program PROGRAM SUMMARY)
  set(PROGRAM_DESCRIPTION "${PROGRAM}: ${SUMMARY}")
  set(rc ${windows_dir}/${PROGRAM}.rc)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/program.rc.in ${rc} @ONLY)
  target_sources(${PROGRAM} PRIVATE ${rc})
  set_source_files_properties(${rc} TARGET_DIRECTORY ${PROGRAM}
                              PROPERTIES OBJECT_DEPENDS ${TARNWELL_WINDOWS_ICON})
  add_dependencies(${PROGRAM} tarnwell-windows-icon)
  target_link_options(${PROGRAM} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-s>)
endfunction()

# The installer and the zip hold the window, the demo, tarnwell-ctl, tarnwell-plan and the
# licence (with Windows line ends, for Notepad and the installer's licence page).
if(NOT TARGET tarnwell)
  return()
endif()
find_program(TARNWELL_MAKENSIS makensis)
if(NOT TARNWELL_MAKENSIS)
  message(STATUS "No makensis (Debian package nsis): the Windows installer is not built")
  return()
endif()
set(files_dir ${windows_dir}/Tarnwell-${PROJECT_VERSION})
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence_text)
string(REPLACE "\n" "\r\n" licence_text "${licence_text}")
file(WRITE ${files_dir}/LICENSE.txt "${licence_text}")

set(shipped tarnwell tarnwell-demo tarnwell-ctl tarnwell-plan)
set(copies)
foreach(program IN LISTS shipped)
  add_custom_command(OUTPUT ${files_dir}/${program}.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${files_dir}/${program}.exe
    DEPENDS ${program}
    VERBATIM)
  list(APPEND copies ${files_dir}/${program}.exe)
endforeach()

set(installer ${CMAKE_BINARY_DIR}/tarnwell-${PROJECT_VERSION}-setup.exe)
set(zip ${CMAKE_BINARY_DIR}/tarnwell-${PROJECT_VERSION}-windows-x64.zip)
add_custom_command(OUTPUT ${installer}
  COMMAND ${TARNWELL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DPUBLISHER=${TARNWELL_VENDOR}
          -DFILES_DIR=${files_dir} -DICON=${TARNWELL_WINDOWS_ICON} -DOUTFILE=${installer}
          ${CMAKE_CURRENT_SOURCE_DIR}/windows/tarnwell.nsi
  DEPENDS ${copies} ${files_dir}/LICENSE.txt ${TARNWELL_WINDOWS_ICON}
          ${CMAKE_CURRENT_SOURCE_DIR}/windows/tarnwell.nsi
  COMMENT "Windows installer ${installer}"
  VERBATIM)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Tarnwell-${PROJECT_VERSION}
  WORKING_DIRECTORY ${windows_dir}
  DEPENDS ${copies} ${files_dir}/LICENSE.txt
  COMMENT "Windows zip ${zip}"
  VERBATIM)
add_custom_target(windows-installer ALL DEPENDS ${installer} ${zip})
