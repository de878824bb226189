# qv_embed_text(TARGET SYMBOL FILE): compiles FILE's bytes into TARGET as
# `extern const char SYMBOL[]` (zero-terminated) and `SYMBOL_size`, declared in
# the generated header generated/embedded/SYMBOL.h. May be called from any
# folder's CMakeLists.txt, not only the one that made TARGET.
function(qv_embed_text target symbol file)
    set(out_dir ${CMAKE_BINARY_DIR}/generated/embedded)
    set(out_cpp ${out_dir}/${symbol}.cpp)
    set(out_h ${out_dir}/${symbol}.h)
    add_custom_command(
        OUTPUT ${out_cpp} ${out_h}
        COMMAND ${QV_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/embed_text.py ${symbol} ${file} ${out_dir}
        DEPENDS ${file} ${CMAKE_SOURCE_DIR}/scripts/embed_text.py
        COMMENT "Embedding ${file}")
    # The rule lives in this folder; the target may live in another, so it
    # depends on a target that runs the rule and sees the files as generated.
    add_custom_target(qv_embed_${symbol} DEPENDS ${out_cpp} ${out_h})
    set_source_files_properties(${out_cpp} ${out_h} TARGET_DIRECTORY ${target} PROPERTIES GENERATED TRUE)
    target_sources(${target} PRIVATE ${out_cpp})
    add_dependencies(${target} qv_embed_${symbol})
endfunction()
