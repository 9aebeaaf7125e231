# kv_add_library(NAME name [LIBS ...] [PLAIN]): a static library from every .cpp and .h of
# the calling folder, linking LIBS publicly. PLAIN marks a library without Qt, which keeps
# the Qt code generators away from it.
function(kv_add_library)
  cmake_parse_arguments(L "PLAIN" "NAME" "LIBS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${L_NAME} STATIC ${_srcs})
  target_include_directories(${L_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${L_NAME} PUBLIC ${L_LIBS})
  if(L_PLAIN)
    set_target_properties(${L_NAME} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  endif()
endfunction()

# kv_add_test(NAME name LIBS ... [PLAIN]): one test executable from every .cpp of the
# calling folder. Unless PLAIN is given, the executable gets a main that creates a
# QApplication; every test runs on the offscreen platform.
function(kv_add_test)
  cmake_parse_arguments(T "PLAIN" "NAME" "LIBS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(T_PLAIN)
    add_executable(${T_NAME} ${_srcs})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${T_NAME} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  else()
    add_executable(${T_NAME} ${_srcs} ${PROJECT_SOURCE_DIR}/tests/support/qt_test_main.cpp)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Widgets GTest::gtest GTest::gmock)
  endif()
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")
  kv_add_whole_test(${T_NAME})
endfunction()

# kv_add_whole_test(name): the test executable run once as a whole, every test in one
# process, as a developer runs it by hand. The discovered entries give each test a fresh
# process; this one fails where a test leaves state behind that another trips over.
function(kv_add_whole_test name)
  add_test(NAME ${name}.WholeInOneProcess COMMAND ${name})
  set_tests_properties(${name}.WholeInOneProcess PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")
endfunction()
