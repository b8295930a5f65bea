# Running the cross build's tests under Wine. The prefix is made once, before ctest runs (the
# target wine-prefix), because listing a suite's tests already starts Wine. While the tests run,
# one persistent wineserver serves them all: a ctest fixture starts it and ends it afterwards.
# Without it each program starts its own server, whose helpers keep ctest's pipes open and
# make every test wait seconds for them.
add_custom_target(wine-prefix
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --init
  COMMENT "Preparing the Wine prefix for the tests"
  VERBATIM)

add_test(NAME wine_server_start COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start-server)
add_test(NAME wine_server_stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop-server)
set_tests_properties(wine_server_start PROPERTIES FIXTURES_SETUP wine_server TIMEOUT 60)
set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine_server TIMEOUT 60)

set(TAPISTO_TEST_PROPERTIES FIXTURES_REQUIRED wine_server)
