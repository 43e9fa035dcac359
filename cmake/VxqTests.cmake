# One GoogleTest executable per subsystem, registered as one CTest entry (each Wine start costs time).
# Every one links the freed-memory poison, which also ends a crashed run at once.
function(vxq_add_test_suite name)
  set(target test_${name})
  add_executable(${target} ${ARGN} ${CMAKE_SOURCE_DIR}/tests/FreedMemoryPoison.cpp)
  target_compile_options(${target} PRIVATE ${VXQ_WARNINGS})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE vxqcore gtest gtest_main)
  add_dependencies(${target} vxq)
  vxq_split_debug(${target})
  add_test(NAME ${name} COMMAND ${target} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "VXQ_EXE=$<TARGET_FILE:vxq>;VXQ_BUILD_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 300)
endfunction()
