# Embedded resources: files of the source tree compiled into a target, found at run time by type
# and name through Platform::FindModuleResource (src/Platform/Resources/ModuleResources.h).
#
#   embed_resources(<target> TYPE <type> FILES <file>...)
#
# Each file becomes a resource of the given type ("GDIPLUS" for images, "QVXML" for skins and
# string tables) named after the file: upper-cased, each "." and " " made "_" ("ce.png" is
# CE_PNG, found as "::ce.png"). Relative paths are taken from the calling folder. A file's
# bytes are compiled from a source generated at build time, made again when the file changes.
# The target registers its table when it is loaded; it links the library that holds the
# registry (QVUI) and is defined in the folder that calls this (the generating rules attach to
# targets of their own folder). Called again for a target, it adds more resources; two resources of one
# target with the same type and name are a configuration error.
#
# Run as a script (cmake -P) with INPUT, OUTPUT and SYMBOL, this file writes the source that
# holds one file's bytes.

if(CMAKE_SCRIPT_MODE_FILE)
    file(READ "${INPUT}" hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR length "${digits} / 2")
    if(length EQUAL 0)
        set(bytes "0")
    else()
        # 16 bytes a line.
        string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    endif()
    file(WRITE "${OUTPUT}.tmp"
        "// Generated from ${INPUT}.\n#include <cstddef>\n\n"
        "extern const unsigned char ${SYMBOL}[];\nextern const size_t ${SYMBOL}_length;\n"
        "alignas(16) const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
        "const size_t ${SYMBOL}_length = ${length};\n")
    file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
    return()
endif()

set(EMBED_RESOURCES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(embed_resources target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "TYPE" "FILES")
    if(NOT ARG_TYPE OR NOT ARG_FILES OR ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "embed_resources(<target> TYPE <type> FILES <file>...)")
    endif()
    get_target_property(known ${target} EMBEDDED_RESOURCE_NAMES)
    if(NOT known)
        set(known)
    endif()
    get_target_property(call ${target} EMBEDDED_RESOURCE_TABLES)
    if(NOT call)
        set(call 0)
    endif()
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/EmbeddedResources/${target}")
    string(MAKE_C_IDENTIFIER "${target}" target_id)
    set(declarations "")
    set(entries "")
    set(outputs)
    foreach(file IN LISTS ARG_FILES)
        get_filename_component(path "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        get_filename_component(file_name "${path}" NAME)
        string(TOUPPER "${file_name}" name)
        string(REPLACE "." "_" name "${name}")
        string(REPLACE " " "_" name "${name}")
        if("${ARG_TYPE}/${name}" IN_LIST known)
            message(FATAL_ERROR "embed_resources: ${target} already has the resource ${ARG_TYPE} ${name} (${path})")
        endif()
        list(APPEND known "${ARG_TYPE}/${name}")
        string(MD5 path_hash "${path}")
        set(symbol "embedded_resource_${target_id}_${path_hash}")
        set(output "${folder}/${symbol}.cpp")
        add_custom_command(OUTPUT "${output}"
            COMMAND ${CMAKE_COMMAND} -DINPUT=${path} -DOUTPUT=${output} -DSYMBOL=${symbol}
                    -P "${EMBED_RESOURCES_SCRIPT}"
            DEPENDS "${path}" "${EMBED_RESOURCES_SCRIPT}"
            COMMENT "Embedding ${ARG_TYPE} ${name}"
            VERBATIM)
        target_sources(${target} PRIVATE "${output}")
        list(APPEND outputs "${output}")
        string(APPEND declarations "extern const unsigned char ${symbol}[];\nextern const size_t ${symbol}_length;\n")
        string(APPEND entries "    {\"${ARG_TYPE}\", \"${name}\", ${symbol}, ${symbol}_length},\n")
    endforeach()
    set(table "${folder}/EmbeddedResourceTable${call}.cpp")
    file(CONFIGURE OUTPUT "${table}" CONTENT
"// Generated: the ${ARG_TYPE} resources of ${target}.
#include \"Platform/Resources/ModuleResources.h\"

${declarations}
namespace {

const Platform::EmbeddedResource kTable[] = {
${entries}};

const struct Registrar {
    Registrar() { Platform::RegisterEmbeddedResources(kTable, sizeof kTable / sizeof kTable[0]); }
} kRegistrar;

}  // namespace
" @ONLY)
    target_sources(${target} PRIVATE "${table}")
    # Each call's table has the same file-local names, and the data files are large: both are
    # compiled on their own in a unity build.
    set_source_files_properties(${outputs} "${table}" TARGET_DIRECTORY ${target} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    math(EXPR call "${call} + 1")
    set_target_properties(${target} PROPERTIES EMBEDDED_RESOURCE_NAMES "${known}" EMBEDDED_RESOURCE_TABLES ${call})
endfunction()
