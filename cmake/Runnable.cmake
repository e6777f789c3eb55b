# tarnwell_runnable(TARGET OUT)
#
# Sets OUT to a path that runs the program TARGET on the build machine, for the build steps and
# tests that start it by path (help2man, popen). That is the program itself, except when
# cross-compiling with CMAKE_CROSSCOMPILING_EMULATOR: then a script of the same name that starts
# it under the emulator (qemu-user), since the build machine cannot run it directly.
function(tarnwell_runnable target out)
  if(NOT CMAKE_CROSSCOMPILING)
    set(${out} $<TARGET_FILE:${target}> PARENT_SCOPE)
    return()
  endif()
  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "Running ${target} while cross-compiling needs CMAKE_CROSSCOMPILING_EMULATOR")
  endif()
  set(script ${CMAKE_BINARY_DIR}/emulated/$<TARGET_FILE_NAME:${target}>)
  # One script per program, however many places ask for it.
  get_property(made GLOBAL PROPERTY TARNWELL_EMULATED_PROGRAMS)
  if(NOT target IN_LIST made)
    set_property(GLOBAL APPEND PROPERTY TARNWELL_EMULATED_PROGRAMS ${target})
    list(JOIN CMAKE_CROSSCOMPILING_EMULATOR "' '" emulator)
    file(GENERATE OUTPUT ${script}
      CONTENT "#!/bin/sh\nexec '${emulator}' '$<TARGET_FILE:${target}>' \"$@\"\n"
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                       WORLD_EXECUTE)
  endif()
  set(${out} ${script} PARENT_SCOPE)
endfunction()
