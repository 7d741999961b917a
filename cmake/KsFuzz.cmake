# ks_add_fuzzer(NAME name SOURCES ... [LIBSOURCES ...] [LINK flags...] [CORPUS dir] [RUNS n] [SECONDS s])
#   Native tree only: builds a libFuzzer program with clang++-14 under ASan/UBSan and registers a short run of it
#   as a ctest entry (label "fuzz"). SOURCES hold the fuzz target, LIBSOURCES the portable code under test; both
#   get the same instrumentation, and a LIBSOURCES file is compiled once for all the fuzzers of a folder that
#   name it; LINK adds system libraries to the link (-lz). The tree's own compiler is
#   g++, so clang runs through custom commands.
#   The program is <build>/fuzz/<name>; CORPUS is a seed directory, only read: inputs the runs find go to
#   <build>/fuzz/<name>.corpus, and a crashing input to <build>/fuzz/<name>-crash-*.
#   RUNS bounds the run by inputs (-runs=), SECONDS by time (-max_total_time=); with neither, 5 seconds.
include_guard(GLOBAL)

find_program(KS_FUZZ_CXX clang++-14)

function(ks_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS;RUNS;SECONDS" "SOURCES;LIBSOURCES;LINK" ${ARGN})
  if(NOT KS_NATIVE)
    return()
  endif()
  if(NOT KS_FUZZ_CXX)
    message(WARNING "clang++-14 not found: fuzzer ${F_NAME} is not built")
    return()
  endif()

  # UBSan findings must stop the run, or libFuzzer would carry on past them.
  set(flags -std=c++20 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  set(objdir ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}.dir)
  set(shared)
  foreach(src IN LISTS F_LIBSOURCES)
    get_filename_component(src ${src} ABSOLUTE)
    list(APPEND shared ${src})
  endforeach()
  set(outdir ${CMAKE_BINARY_DIR}/fuzz)
  set(exe ${outdir}/${F_NAME})
  set(objects)
  set(index 0)
  foreach(src IN LISTS F_SOURCES F_LIBSOURCES)
    get_filename_component(src ${src} ABSOLUTE)
    get_filename_component(base ${src} NAME_WE)
    # One object per source, each with its own dependency file, so header edits rebuild what they touch.
    # Code under test is compiled once for all the fuzzers of a folder that link it (the flags are the same).
    set(obj ${objdir}/${index}_${base}.o)
    if(src IN_LIST shared)
      string(MAKE_C_IDENTIFIER "${src}" id)
      set(obj ${CMAKE_CURRENT_BINARY_DIR}/fuzz_shared.dir/${id}.o)
    endif()
    list(APPEND objects ${obj})
    math(EXPR index "${index} + 1")
    get_property(made DIRECTORY PROPERTY KS_FUZZ_OBJECTS)
    if(obj IN_LIST made)
      continue()
    endif()
    set_property(DIRECTORY APPEND PROPERTY KS_FUZZ_OBJECTS ${obj})
    get_filename_component(dir ${obj} DIRECTORY)
    add_custom_command(OUTPUT ${obj}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${KS_FUZZ_CXX} ${flags} -I${PROJECT_SOURCE_DIR} -MD -MF ${obj}.d -c ${src} -o ${obj}
      DEPENDS ${src}
      DEPFILE ${obj}.d
      COMMENT "Compiling ${base} for fuzzing (clang)"
      VERBATIM)
  endforeach()
  add_custom_command(OUTPUT ${exe}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
    COMMAND ${KS_FUZZ_CXX} ${flags} ${objects} ${F_LINK} -o ${exe}
    DEPENDS ${objects}
    COMMENT "Linking fuzzer ${F_NAME} (clang)"
    VERBATIM)
  add_custom_target(${F_NAME} ALL DEPENDS ${exe})

  set(work ${outdir}/${F_NAME}.corpus)
  file(MAKE_DIRECTORY ${work})
  set(limits)
  if(F_RUNS)
    list(APPEND limits -runs=${F_RUNS})
  endif()
  if(F_SECONDS)
    list(APPEND limits -max_total_time=${F_SECONDS})
  elseif(NOT F_RUNS)
    set(F_SECONDS 5)
    list(APPEND limits -max_total_time=5)
  endif()
  set(dirs ${work})
  if(F_CORPUS)
    get_filename_component(seed ${F_CORPUS} ABSOLUTE)
    list(APPEND dirs ${seed})
  endif()
  # libFuzzer writes new inputs into the first directory only, so the seed directory stays untouched.
  add_test(NAME ${F_NAME}
    COMMAND ${exe} ${limits} -print_final_stats=1 -artifact_prefix=${outdir}/${F_NAME}- ${dirs})
  if(F_SECONDS)
    math(EXPR timeout "${F_SECONDS} + 60")
  else()
    set(timeout 300)
  endif()
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT ${timeout} LABELS fuzz)
endfunction()
