# The fuzz targets in the main build: each target's source with fuzz/ReplayMain.cpp in place of
# libFuzzer, and a test (label "fuzz") that runs it once over fuzz/corpus/<Target>/ and
# fuzz/regressions/<Target>/. A target that breaks with an interface then fails the ordinary
# build, and kept crash inputs are replayed by every test run and sanitizer build.
#
# With SKYLET_BUILD_FUZZERS (the asan preset, clang) each target is also built as a libFuzzer
# program of the same name (bin/<Target>, all of them with the target "fuzzers"), over the same
# libraries, which then carry the fuzzer's coverage instrumentation; fuzz/run.sh fuzzes with them.
if(SKYLET_BUILD_FUZZERS)
    add_custom_target(fuzzers)
    foreach(library QV QVUI DeviceModel)
        target_compile_options(${library} PRIVATE -fsanitize=fuzzer-no-link)
    endforeach()
endif()

function(skylet_add_fuzz_replay target)
    cmake_parse_arguments(REPLAY "" "" "SOURCES;LIBRARIES" ${ARGN})
    set(folder ${PROJECT_SOURCE_DIR}/fuzz)
    add_executable(${target}Replay ${folder}/${target}.cpp ${folder}/ReplayMain.cpp ${REPLAY_SOURCES})
    target_include_directories(${target}Replay PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target}Replay PRIVATE ${REPLAY_LIBRARIES})
    # The replay main tests the target's optional initializer as a weak symbol: never one unit.
    set_target_properties(${target}Replay PROPERTIES UNITY_BUILD OFF)
    set(inputs)
    foreach(kind regressions corpus)
        if(IS_DIRECTORY ${folder}/${kind}/${target})
            list(APPEND inputs ${folder}/${kind}/${target})
        endif()
    endforeach()
    add_test(NAME FuzzReplay.${target} COMMAND ${target}Replay ${inputs})
    set_tests_properties(FuzzReplay.${target} PROPERTIES LABELS fuzz)
    if(SKYLET_BUILD_FUZZERS)
        add_executable(${target} ${folder}/${target}.cpp ${REPLAY_SOURCES})
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${target} PRIVATE ${REPLAY_LIBRARIES})
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
        add_dependencies(fuzzers ${target})
    endif()
endfunction()

skylet_add_fuzz_replay(FuzzVariantRecord LIBRARIES QV)
skylet_add_fuzz_replay(FuzzFontFile LIBRARIES QVUI)
skylet_add_fuzz_replay(FuzzPngLoad LIBRARIES QVUI)
skylet_add_fuzz_replay(FuzzSkinReader LIBRARIES QVUI)
skylet_add_fuzz_replay(FuzzTextConversion LIBRARIES QV)
skylet_add_fuzz_replay(FuzzDebugOption LIBRARIES QV)
skylet_add_fuzz_replay(FuzzMidiInput LIBRARIES DeviceModel QV)
skylet_add_fuzz_replay(FuzzPresetFile SOURCES ${PROJECT_SOURCE_DIR}/src/UI/DriverCommon/PresetFileFormat.cpp LIBRARIES QV)
# The settings library keeps its entry points to itself: its sources go in directly.
file(GLOB REPLAY_INI_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/Platform/IniFileManager/*.cpp)
skylet_add_fuzz_replay(FuzzSettingsFile SOURCES ${REPLAY_INI_SOURCES})
