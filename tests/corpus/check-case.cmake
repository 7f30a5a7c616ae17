# Runs the real tessella on one corpus file, `probe` and then `convert`, and checks the
# exact verdict of each: exit code and everything printed to standard error. Then checks
# what is on disk: a refused file leaves the case's folder exactly as it was (nothing in
# the output folder, nothing in the current folder, the bitmap and its folder untouched); an accepted
# one leaves exactly the index file, the folders and the tile files of its grid, all of
# their full sizes, and nothing else anywhere.
#
# cmake -DTESSELLA=... -DBITMAP=... -DWORK=... -DPROBE_EXIT=n "-DPROBE_STDERR=text"
#       -DCONVERT_EXIT=n "-DCONVERT_STDERR=text" [-DCOLUMNS=c -DROWS=r] -P check-case.cmake
# In the expected texts '|' stands for a line break. COLUMNS and ROWS are given for a
# bitmap that converts.

foreach(required TESSELLA BITMAP WORK PROBE_EXIT PROBE_STDERR CONVERT_EXIT CONVERT_STDERR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "check-case: ${required} is not set")
  endif()
endforeach()

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

# Everything under the case's folder, with file sizes and times, plus the bitmap itself.
function(list_tree folder out)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${folder}" "${folder}/*")
  list(SORT entries)
  set(lines "")
  foreach(entry IN LISTS entries)
    if(IS_SYMLINK "${folder}/${entry}")
      list(APPEND lines "link ${entry}")
    elseif(IS_DIRECTORY "${folder}/${entry}")
      list(APPEND lines "dir ${entry}")
    else()
      file(SIZE "${folder}/${entry}" size)
      file(TIMESTAMP "${folder}/${entry}" stamp "%s" UTC)
      list(APPEND lines "file ${entry} ${size} ${stamp}")
    endif()
  endforeach()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(describe_bitmap out)
  if(IS_DIRECTORY "${BITMAP}")
    set(${out} "folder" PARENT_SCOPE)
  elseif(EXISTS "${BITMAP}")
    file(SIZE "${BITMAP}" size)
    file(TIMESTAMP "${BITMAP}" stamp "%s" UTC)
    set(${out} "${size} ${stamp}" PARENT_SCOPE)
  else()
    set(${out} "absent" PARENT_SCOPE)
  endif()
endfunction()

# Runs tessella in WORK/cwd; compares exit code and the system's messages on standard
# error. The command's own lines after them (reports, hints, the file a failure concerns)
# all begin with "tessella: " and are not part of the verdict.
function(run_and_check label expected_exit expected_stderr)
  execute_process(COMMAND "${TESSELLA}" ${ARGN}
                  WORKING_DIRECTORY "${WORK}/cwd"
                  RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 120)
  string(REGEX REPLACE "(^|\n)tessella: [^\n]*" "" messages "${err}")
  string(REGEX REPLACE "^\n+" "" messages "${messages}")
  string(REPLACE "\n" "|" shown "${messages}")
  string(REGEX REPLACE "\\|$" "" shown "${shown}")
  if(NOT "${exit_code}" STREQUAL "${expected_exit}")
    string(APPEND failures "  ${label}: exit ${exit_code}, expected ${expected_exit}\n")
  endif()
  if(NOT "${shown}" STREQUAL "${expected_stderr}")
    string(APPEND failures "  ${label}: standard error\n    [${shown}]\n  expected\n    [${expected_stderr}]\n")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
  set(last_stdout "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/out" "${WORK}/cwd")
list_tree("${WORK}" tree_before)
describe_bitmap(bitmap_before)
# The bitmap's own folder: nothing may appear beside the bitmap or change there.
get_filename_component(bitmap_folder "${BITMAP}" DIRECTORY)
list_tree("${bitmap_folder}" beside_before)

run_and_check(probe "${PROBE_EXIT}" "${PROBE_STDERR}" probe "${BITMAP}")
if(PROBE_EXIT EQUAL 0 AND DEFINED COLUMNS)
  math(EXPR width "${COLUMNS} * 160")
  math(EXPR height "${ROWS} * 160")
  math(EXPR tiles "${COLUMNS} * ${ROWS}")
  foreach(number IN ITEMS ${width} ${height} ${COLUMNS} ${ROWS} ${tiles})
    if(NOT last_stdout MATCHES "(^|[^0-9])${number}([^0-9]|$)")
      fail("probe: standard output does not show ${number}: [${last_stdout}]")
    endif()
  endforeach()
endif()

run_and_check(convert "${CONVERT_EXIT}" "${CONVERT_STDERR}"
  convert "${BITMAP}" --name "CORPUS MAP" --folder area01
  --top-left 35:40:0,139:45:0 --bottom-right 35:39:0,139:46:0
  --east-west 1852 --north-south 926 --output-dir "${WORK}/out")

describe_bitmap(bitmap_after)
if(NOT bitmap_after STREQUAL bitmap_before)
  fail("the bitmap changed: ${bitmap_before} became ${bitmap_after}")
endif()

list_tree("${bitmap_folder}" beside_after)
if(NOT beside_after STREQUAL beside_before)
  fail("the bitmap's folder changed")
endif()

list_tree("${WORK}" tree_after)
if(DEFINED COLUMNS)
  # Exactly the map's own files, each whole.
  set(expected "dir cwd;dir out;dir out/area01;dir out/area01/layer1")
  math(EXPR last_row "${ROWS} - 1")
  math(EXPR last_column "${COLUMNS} - 1")
  set(tile_lines "")
  foreach(r RANGE ${last_row})
    string(LENGTH "${r}" digits)
    set(rrr "${r}")
    if(digits LESS 3)
      math(EXPR padding "3 - ${digits}")
      string(REPEAT "0" ${padding} pad)
      set(rrr "${pad}${r}")
    endif()
    list(APPEND expected "dir out/area01/layer1/level${rrr}")
    foreach(c RANGE ${last_column})
      string(LENGTH "${c}" digits)
      set(ccc "${c}")
      if(digits LESS 3)
        math(EXPR padding "3 - ${digits}")
        string(REPEAT "0" ${padding} pad)
        set(ccc "${pad}${c}")
      endif()
      list(APPEND tile_lines "out/area01/layer1/level${rrr}/smpl${ccc}${rrr}.map 25760")
    endforeach()
  endforeach()
  list(APPEND expected ${tile_lines} "out/area01.vlm 160")
  # Times are not predictable for new files: drop them from the listing.
  set(found "")
  foreach(line IN LISTS tree_after)
    if(line MATCHES "^file (.*) ([0-9]+) [0-9]+$")
      list(APPEND found "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
    else()
      list(APPEND found "${line}")
    endif()
  endforeach()
  list(SORT expected)
  list(SORT found)
  if(NOT found STREQUAL expected)
    list(LENGTH found found_count)
    list(LENGTH expected expected_count)
    set(extra ${found})
    list(REMOVE_ITEM extra ${expected})
    set(missing ${expected})
    list(REMOVE_ITEM missing ${found})
    list(SUBLIST extra 0 10 extra)
    list(SUBLIST missing 0 10 missing)
    fail("output differs from the map's files (${found_count} entries, expected ${expected_count}); unexpected: [${extra}] missing: [${missing}]")
  endif()
else()
  if(NOT tree_after STREQUAL tree_before)
    fail("something was written: before [${tree_before}] after [${tree_after}]")
  endif()
endif()

if(failures)
  message(FATAL_ERROR "corpus case ${BITMAP}:\n${failures}")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "ok: probe exit ${PROBE_EXIT}, convert exit ${CONVERT_EXIT}")
