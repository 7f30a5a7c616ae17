# One Wine session shared by every test of a build tree that runs a Windows program.
#
#   include(${PROJECT_SOURCE_DIR}/tools/wine/WineSession.cmake)
#   tessella_wine_session(state)       # sets state to the session's state folder
#   add_test(NAME my_test COMMAND sh ${PROJECT_SOURCE_DIR}/tools/wine/session-run.sh
#            ${state} $<TARGET_FILE:my_program> args...)
#   set_tests_properties(my_test PROPERTIES FIXTURES_REQUIRED tessella_wine
#            PASS_REGULAR_EXPRESSION "<the program's final line>")
#
# The fixture tessella_wine starts the session (fresh prefix, Xvfb, wineserver) before
# the first such test and stops it after the last one; it is defined once, whichever
# part of the tree asks first.
function(tessella_wine_session out_state)
  set(state ${CMAKE_BINARY_DIR}/wine-session)
  get_property(defined GLOBAL PROPERTY TESSELLA_WINE_SESSION_DEFINED)
  if(NOT defined)
    set_property(GLOBAL PROPERTY TESSELLA_WINE_SESSION_DEFINED TRUE)
    set(scripts ${PROJECT_SOURCE_DIR}/tools/wine)
    add_test(NAME wine_session_start COMMAND sh ${scripts}/session-start.sh ${state})
    set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP tessella_wine TIMEOUT 180
      PASS_REGULAR_EXPRESSION "Wine session ready")
    add_test(NAME wine_session_stop COMMAND sh ${scripts}/session-stop.sh ${state})
    set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP tessella_wine TIMEOUT 60)
  endif()
  set(${out_state} ${state} PARENT_SCOPE)
endfunction()
