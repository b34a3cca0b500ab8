varnadex_test(snmp_codec_test LABEL unit SOURCES snmp_codec_test.cpp ber_reader_test.cpp)
varnadex_test(snmp_socket_test LABEL unit SOURCES snmp_socket_test.cpp LIBS varnadex_sim_lib)
varnadex_test(snmp_udp_test LABEL udp SOURCES snmp_udp_test.cpp LIBS varnadex_sim_lib)

varnadex_test(snmp_fuzz_corpus_test LABEL unit SOURCES snmp_fuzz_corpus_test.cpp fuzz/SnmpFuzz.cpp)
target_compile_definitions(snmp_fuzz_corpus_test PRIVATE
    SNMP_FUZZ_CORPUS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus")

# libFuzzer over the response reader, a bounded run per test pass. New inputs go to the build
# tree; the kept corpus in the source tree is only read.
if(VARNADEX_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(snmp_response_fuzz fuzz/snmp_response_fuzz.cpp fuzz/SnmpFuzz.cpp
        ${CMAKE_SOURCE_DIR}/snmp/SnmpCodec.cpp ${CMAKE_SOURCE_DIR}/snmp/SnmpMessage.cpp
        ${CMAKE_SOURCE_DIR}/snmp/BerReader.cpp)
    target_compile_options(snmp_response_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_options(snmp_response_fuzz PRIVATE -fsanitize=fuzzer)
    set(snmp_fuzz_work ${CMAKE_CURRENT_BINARY_DIR}/snmp_fuzz_work)
    file(MAKE_DIRECTORY ${snmp_fuzz_work})
    add_test(NAME snmp_response_fuzz
        COMMAND snmp_response_fuzz -runs=200000 -max_len=160
                -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/snmp_fuzz_
                ${snmp_fuzz_work} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus)
    set_tests_properties(snmp_response_fuzz PROPERTIES LABELS fuzz TIMEOUT 300)
endif()
