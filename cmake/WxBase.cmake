# The base library of wxWidgets alone (initialisation, command line, file
# names, logging): sets WX_CXXFLAGS and WX_LIBS from wx-config.
find_program(WX_CONFIG wx-config REQUIRED)
execute_process(COMMAND ${WX_CONFIG} --cxxflags base
                OUTPUT_VARIABLE WX_CXXFLAGS OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${WX_CONFIG} --libs base
                OUTPUT_VARIABLE WX_LIBS OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(WX_CXXFLAGS UNIX_COMMAND "${WX_CXXFLAGS}")
separate_arguments(WX_LIBS UNIX_COMMAND "${WX_LIBS}")
