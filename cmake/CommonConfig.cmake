# Flags every Leafturner target shares.
add_library(leafturner_common INTERFACE)
target_compile_features(leafturner_common INTERFACE cxx_std_20)
target_compile_options(leafturner_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(leafturner_common INTERFACE
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_UP_TO=0x060000)
target_include_directories(leafturner_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(LEAFTURNER_PORTABLE)
  target_compile_definitions(leafturner_common INTERFACE LT_NO_SIMD)
endif()

if(LEAFTURNER_SANITIZE)
  set(LT_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(leafturner_common INTERFACE ${LT_SAN_FLAGS})
  target_link_options(leafturner_common INTERFACE ${LT_SAN_FLAGS})
endif()

if(LEAFTURNER_FUZZ)
  set(LT_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_compile_options(leafturner_common INTERFACE ${LT_FUZZ_FLAGS})
  target_link_options(leafturner_common INTERFACE -fsanitize=address,undefined)
endif()

# lt_add_fuzzer(<name> SOURCES ... LIBS ...): a libFuzzer target fuzz_<name>.
function(lt_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(fuzz_${name} ${F_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE leafturner_common ${F_LIBS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endfunction()

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)
set(CMAKE_AUTOUIC OFF)

# lt_add_test(<name> SOURCES ... LIBS ... [WIDGETS]): one GoogleTest executable
# registered with CTest. WIDGETS runs it on the offscreen platform.
function(lt_add_test name)
  cmake_parse_arguments(T "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE leafturner_common ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(T_WIDGETS)
    target_link_libraries(${name} PRIVATE Qt6::Test)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set(env "LEAFTURNER_CODEPAGE=CP936;LC_ALL=C.UTF-8")
  if(T_WIDGETS)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()
