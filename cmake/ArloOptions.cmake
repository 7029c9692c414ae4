# One INTERFACE target carries the language level, warnings and Qt safety macros.
# Every target of ours links it.
add_library(arlo_options INTERFACE)
add_library(arlo::options ALIAS arlo_options)
target_compile_features(arlo_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(arlo_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Werror
  -Wshadow -Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor -Wcast-qual>)
target_compile_definitions(arlo_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
)

# Test executables of AddressSanitizer builds carry tests/support/asan_foreign_deletes.cpp.
function(arlo_sanitizer_support name)
  if(TARGET arlo_asan_foreign_deletes)
    target_link_libraries(${name} PRIVATE arlo_asan_foreign_deletes ${CMAKE_DL_LIBS})
  endif()
endfunction()

# Adds a GoogleTest executable whose cases are registered with CTest one by one.
function(arlo_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Qt-free tests: no moc pass.
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  target_link_libraries(${name} PRIVATE arlo::options GTest::gtest GTest::gmock GTest::gtest_main ${ARG_LIBS})
  arlo_sanitizer_support(${name})
  # Discovered tests take one label: gtest_discover_tests splits property lists, so "unit;tsan"
  # would lose its second part. "tsan" tests are also rebuilt and run under ThreadSanitizer.
  if(ARG_LABELS)
    set(label "${ARG_LABELS}")
  else()
    set(label unit)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${label}")
endfunction()

# Adds a Qt Test executable (widget tests) run on the offscreen platform.
function(arlo_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE arlo::options Qt6::Test ${ARG_LIBS})
  arlo_sanitizer_support(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # The watch history of the user running the tests is neither read nor written: its folder
  # cannot exist (a test that wants one sets its own).
  set_tests_properties(${name} PROPERTIES
    LABELS "widget;${ARG_LABELS}"
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;XDG_STATE_HOME=/dev/null/state;${ARG_ENV}")
endfunction()
