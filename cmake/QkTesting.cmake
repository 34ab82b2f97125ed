# qk_add_test(<name> [GUI] SOURCES <files...> LIBS <targets...> [TIMEOUT s])
# Builds one QtTest executable and registers it with CTest. Every test runs with the offscreen
# platform and a temporary home (QKDRIVER_HOME is set per test by the fixtures in tests/support).
# GUI tests get full stack traces on allocation, which the leak suppression of Qt's offscreen
# platform plugin needs; the others keep the fast unwinder (several times quicker under ASan).
function(qk_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE qk_flags qk_test_support Qt5::Test ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(asan "detect_leaks=1")
  if(T_GUI)
    set(asan "${asan}:fast_unwind_on_malloc=0")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=${asan};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
