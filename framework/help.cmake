# The help file: its portable reader (both builds) and, in the Windows build, KSHELP32.HLP beside the program.
# Included from framework/CMakeLists.txt and from the help tests; the guard makes a second include harmless.
include_guard(GLOBAL)

add_library(ks_help_file STATIC ${CMAKE_CURRENT_LIST_DIR}/help_file.cpp)
target_include_directories(ks_help_file PUBLIC ${PROJECT_SOURCE_DIR})

if(KS_WIN32)
  # The help source is already in its final format; the build only gives it the name the program opens.
  # (Its syntax is checked by the native help tests: the cross build cannot run a checker.)
  set(ks_help_source ${PROJECT_SOURCE_DIR}/resources/help/kshelp32.txt)
  set(ks_help_output ${CMAKE_BINARY_DIR}/bin/KSHELP32.HLP)
  add_custom_command(OUTPUT ${ks_help_output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy ${ks_help_source} ${ks_help_output}
    DEPENDS ${ks_help_source}
    COMMENT "Help file KSHELP32.HLP")
  add_custom_target(ks_help ALL DEPENDS ${ks_help_output})
endif()
