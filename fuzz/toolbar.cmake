# The toolbar state block a settings file hands the toolbar at start-up.
lt_add_fuzzer(toolbar SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_toolbar.cpp LIBS lt_ui_widgets)
