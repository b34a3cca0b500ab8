# The fuzz targets of tests/fuzz/FuzzTargets.h. Each keeps its seeds, and the crashing inputs
# found so far, in tests/fuzz/<name>/; fuzz_corpus_test replays them all in every build.
set(fuzz_dir ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
set(fuzz_harnesses fuzz/SerialReplyFuzz.cpp fuzz/ProfileFuzz.cpp fuzz/SerialRequestsFuzz.cpp
    fuzz/SnmpRequestFuzz.cpp fuzz/ConfigFileFuzz.cpp)
varnadex_test(fuzz_corpus_test LABEL unit SOURCES fuzz_corpus_test.cpp ${fuzz_harnesses}
    LIBS varnadex_sim_lib varnadex_cli_lib)
target_compile_definitions(fuzz_corpus_test PRIVATE VARNADEX_FUZZ_DIR="${fuzz_dir}")

# A bounded libFuzzer run per test pass: wall time, so that a busy machine does not stretch it.
# The code under test is compiled into the target again, with the fuzzer's coverage; the
# libraries supply the rest. New inputs go to the build tree; the kept corpus is only read.
function(varnadex_fuzz name entry harness max_len)
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    set(target ${name}_fuzz)
    add_executable(${target} fuzz/fuzz_main.cpp fuzz/${harness} ${F_SOURCES})
    target_compile_definitions(${target} PRIVATE VARNADEX_FUZZ_ENTRY=${entry})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${target} PRIVATE ${F_LIBS} varnadex_core)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${target}_work)
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${target}
        COMMAND ${target} -max_total_time=25 -max_len=${max_len} -timeout=10
                -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${target}_ ${work} ${fuzz_dir}/${name})
    set_tests_properties(${target} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

if(VARNADEX_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(src ${CMAKE_SOURCE_DIR})
    varnadex_fuzz(serial_reply fuzzSerialReply SerialReplyFuzz.cpp 300
        SOURCES ${src}/serial/SerialLink.cpp ${src}/serial/SerialFrames.cpp)
    varnadex_fuzz(profile fuzzProfile ProfileFuzz.cpp 1024 SOURCES ${src}/app/Profile.cpp)
    varnadex_fuzz(serial_requests fuzzSerialRequests SerialRequestsFuzz.cpp 256
        SOURCES ${src}/sim/SerialRequests.cpp ${src}/serial/SerialFrames.cpp
                ${src}/sim/Bootloader.cpp
        LIBS varnadex_sim_lib)
    varnadex_fuzz(snmp_request fuzzSnmpRequest SnmpRequestFuzz.cpp 512
        SOURCES ${src}/sim/SnmpResponder.cpp ${src}/snmp/SnmpMessage.cpp ${src}/snmp/BerReader.cpp
        LIBS varnadex_sim_lib)
    varnadex_fuzz(config_file fuzzConfigFile ConfigFileFuzz.cpp 4096
        SOURCES ${src}/config/ConfigFile.cpp)
endif()
