# GoogleTest from Debian's source package, built for whichever target this tree compiles for.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(KS_WIN32)
  # gtest's own warnings are not ours to fix.
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
endif()

# ks_add_test(NAME name SOURCES ... LIBS ... [TIMEOUT s] [GUI])
#   Native tree: runs the test program directly.
#   Windows tree: runs it under Wine through tools/wine-run.sh, in the run's prefix and display.
#   GUI tests share one virtual desktop, so they take the desktop lock and never run side by side.
function(ks_add_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest)
  if(KS_WIN32)
    add_test(NAME ${T_NAME} COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-run.sh $<TARGET_FILE:${T_NAME}>)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_GUI)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()
