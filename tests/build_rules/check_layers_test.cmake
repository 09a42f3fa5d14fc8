# Runs the layer check on small made-up source trees: one whose includes all
# point downwards must pass, each fault must be refused and named.
set(root ${TF_WORK}/layers-test)
file(REMOVE_RECURSE ${root})

function(write_tree name)
  set(tree ${root}/${name})
  file(MAKE_DIRECTORY ${tree})
  set(pairs ${ARGN})
  list(LENGTH pairs n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} file)
    list(GET pairs ${j} include)
    file(WRITE ${tree}/${file} "#pragma once\n#include \"${include}\"\n")
  endforeach()
endfunction()

function(check name expect_ok)
  execute_process(COMMAND ${CMAKE_COMMAND} -DTF_SOURCE_ROOT=${root}/${name} -DTF_STAMP=${root}/${name}.stamp
                          -P ${TF_CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(expect_ok AND NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: a sound tree was refused:\n${err}")
  endif()
  if(NOT expect_ok AND rc EQUAL 0)
    message(FATAL_ERROR "${name}: a faulty tree passed")
  endif()
  foreach(needle IN LISTS ARGN)
    string(FIND "${err}" "${needle}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}: the report does not name \"${needle}\":\n${err}")
    endif()
  endforeach()
endfunction()

write_tree(sound
  ground/rect.h ground/dpi.h
  core/stitch/matcher.cpp core/stitch/matcher_internal.h
  core/stitch/matcher_internal.h ground/rect.h
  platform/win32/backend.cpp core/stitch/matcher.h
  shell/app/window.cpp platform/win32/backend.h
  shell/app/window.h shell/ui/button.h
  shell/ui/button.h shell/ui/theme.h
  shell/ui/theme.h shell/tokens.h
  shell/save/session.cpp shell/ui/button.h)
check(sound TRUE)

write_tree(upward
  ground/rect.h core/stitch/matcher.h
  core/stitch/matcher.cpp shell/app/window.h
  platform/native/backend.cpp platform/win32/handles.h)
check(upward FALSE "ground/rect.h includes \"core/stitch/matcher.h\"" "core/stitch/matcher.cpp includes \"shell/app/window.h\""
      "platform/native/backend.cpp includes \"platform/win32/handles.h\"")

write_tree(private
  core/capture/loop.cpp core/stitch/matcher_internal.h
  shell/app/window.cpp core/stitch/matcher_internal.h)
check(private FALSE "core/capture/loop.cpp includes \"core/stitch/matcher_internal.h\", private to core/stitch"
      "shell/app/window.cpp includes \"core/stitch/matcher_internal.h\", private to core/stitch")

write_tree(stray tools/helper.cpp ground/rect.h)
check(stray FALSE "tools/helper.cpp: outside every floor")

write_tree(cycle
  shell/app/window.h shell/ui/button.h
  shell/ui/button.cpp shell/app/window.h
  shell/save/session.cpp shell/ui/button.h)
check(cycle FALSE "shell/app -> shell/ui -> shell/app" "shell/app/window.h includes \"shell/ui/button.h\""
      "shell/ui/button.cpp includes \"shell/app/window.h\"")

write_tree(ring
  shell/app/window.h shell/capture/loop.h
  shell/capture/loop.cpp shell/save/session.h
  shell/save/session.cpp shell/app/window.h)
check(ring FALSE "shell/app -> shell/capture -> shell/save -> shell/app"
      "shell/app/window.h includes \"shell/capture/loop.h\"" "shell/capture/loop.cpp includes \"shell/save/session.h\""
      "shell/save/session.cpp includes \"shell/app/window.h\"")

# A file at the top of the shell is a folder of its own, as the graph draws it.
write_tree(top
  shell/tokens.h shell/ui/theme.h
  shell/ui/theme.h shell/tokens.h)
check(top FALSE "shell -> shell/ui -> shell")
