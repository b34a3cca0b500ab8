target_sources(varnadex_sim_lib PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SerialFaults.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialConverter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialRequests.cpp
)
