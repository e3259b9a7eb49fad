# The layer rule on the link lines: targets below the windows must not reach the controls or
# Qt, not even through a library they link. Included by tests/CMakeLists.txt, where every
# target is known, it writes each checked target's verdict to a file; the ctest runs this file
# as a script (cmake -P) and fails on a verdict that names a path to a forbidden library.

# What no checked target may link, directly or through others: the controls and any Qt target
# (the toolkit's graphics link Qt, so reaching them reaches Qt too).
set(KESTAL_FORBIDDEN_LINKS "^(kestal_controls|Qt[0-9]*::.*)$")

if(CMAKE_SCRIPT_MODE_FILE)
  # ctest: -DVERDICTS=<file written at configure time>.
  file(STRINGS ${VERDICTS} faults REGEX "^fault ")
  if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "Forbidden libraries in the link closure:\n${text}")
  endif()
  file(STRINGS ${VERDICTS} checked REGEX "^ok ")
  list(LENGTH checked n)
  message(STATUS "layers: ${n} targets link neither the controls nor Qt")
  return()
endif()

# kestal_link_path(<out-var> <target>): the first path "a -> b -> c" from <target> to a
# forbidden library, breadth first over what each target links (PUBLIC and PRIVATE, and the
# interface of imported targets); empty when there is none.
function(kestal_link_path out target)
  set(seen ${target})
  set(todo ${target})
  string(MAKE_C_IDENTIFIER "${target}" id)
  set(path_${id} ${target})
  while(todo)
    list(POP_FRONT todo t)
    string(MAKE_C_IDENTIFIER "${t}" id)
    set(via ${path_${id}})
    if(NOT TARGET ${t})
      continue()
    endif()
    get_target_property(real ${t} ALIASED_TARGET)
    if(real)
      set(t ${real})
    endif()
    get_target_property(imported ${t} IMPORTED)
    set(props INTERFACE_LINK_LIBRARIES)
    if(NOT imported)
      list(APPEND props LINK_LIBRARIES)
    endif()
    foreach(prop ${props})
      get_target_property(libs ${t} ${prop})
      if(NOT libs)
        continue()
      endif()
      foreach(lib ${libs})
        # Static libraries hand on their private links as $<LINK_ONLY:...>; "::@" marks the
        # folder a link was named in.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
        if(lib MATCHES "^::@" OR lib IN_LIST seen)
          continue()
        endif()
        list(APPEND seen ${lib})
        string(MAKE_C_IDENTIFIER "${lib}" id)
        set(path_${id} "${via} -> ${lib}")
        if(lib MATCHES "${KESTAL_FORBIDDEN_LINKS}")
          set(${out} "${via} -> ${lib}" PARENT_SCOPE)
          return()
        endif()
        list(APPEND todo ${lib})
      endforeach()
    endforeach()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

# kestal_write_link_verdicts(<file> <targets...>): one line per target, "ok <target>" or
# "fault <path>".
function(kestal_write_link_verdicts file)
  set(text "")
  foreach(t ${ARGN})
    kestal_link_path(path ${t})
    if(path)
      string(APPEND text "fault ${path}\n")
    else()
      string(APPEND text "ok ${t}\n")
    endif()
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
