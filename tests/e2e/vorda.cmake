# Whole-program tests of vorda; included by this folder's CMakeLists.txt.
if(TARGET vorda)
  add_executable(vorda_e2e ${CMAKE_CURRENT_LIST_DIR}/vorda_eval_e2e.cpp)
  target_compile_options(vorda_e2e PRIVATE ${VORDA_WARNINGS})
  target_compile_definitions(vorda_e2e PRIVATE VORDA_PATH="$<TARGET_FILE:vorda>")
  target_link_libraries(vorda_e2e PRIVATE GTest::gtest GTest::gtest_main)
  add_dependencies(vorda_e2e vorda)
  gtest_discover_tests(vorda_e2e DISCOVERY_TIMEOUT 60)
endif()
