# Compiler settings shared by every target of the project.
add_library(vm_options INTERFACE)
target_compile_options(vm_options INTERFACE -Wall -Wextra -Wpedantic)
if(VM_WERROR)
  target_compile_options(vm_options INTERFACE -Werror)
endif()
if(VM_SANITIZE)
  # -O1 keeps the sanitizer build quick enough to fuzz in every test run and lets the compiler's
  # overflow and truncation checks see through inlined calls, as they do in the release build.
  target_compile_options(vm_options INTERFACE -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vm_options INTERFACE -fsanitize=address,undefined)
endif()
if(VM_TSAN)
  if(VM_SANITIZE OR VM_FUZZ)
    message(FATAL_ERROR "VM_TSAN cannot be combined with VM_SANITIZE or VM_FUZZ")
  endif()
  # The threads flavour: every access that crosses the tick thread is checked.
  target_compile_options(vm_options INTERFACE -O1 -g -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(vm_options INTERFACE -fsanitize=thread)
endif()
if(VM_FUZZ)
  # Coverage instrumentation everywhere, so that libFuzzer sees into the parsers' libraries;
  # only the fuzz executables link libFuzzer's own main.
  target_compile_options(vm_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(vm_options INTERFACE -fsanitize=address,undefined)
endif()
target_include_directories(vm_options INTERFACE ${PROJECT_SOURCE_DIR})

# vm_module(NAME SOURCES... [DEPS libs...]): one static library per engine module.
function(vm_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${M_SOURCES})
  target_link_libraries(${name} PUBLIC vm_options ${M_DEPS})
  # The engine modules call each other both ways (errors, alerts, files, memory); repeat the
  # cycle on the link line so that a static library met once still resolves later callers.
  set_property(TARGET ${name} PROPERTY LINK_INTERFACE_MULTIPLICITY 4)
endfunction()

# Environment of every test: headless SDL drivers, a settings home of the build's own (never the
# user's), and leak checking that ignores the state the system's video drivers keep on purpose. Thread-local storage is not scanned: with Mesa's
# drivers loaded, the leak checker's tracer crashes reading the main thread's TLS block on this
# glibc, depending only on how the environment shifts the stack, and fails a clean run.
set(VM_TEST_ENV
  "SDL_VIDEODRIVER=offscreen"
  "SDL_AUDIODRIVER=dummy"
  "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test_config"
  "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0:use_tls=0")

# vm_test(NAME SOURCES... LIBS libs...): one GoogleTest executable registered with CTest.
function(vm_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE vm_options ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VM_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VM_MEDIA_DIR="${PROJECT_SOURCE_DIR}/../shared/media")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT "${VM_TEST_ENV}")
endfunction()
