# qv_embed_text(TARGET SYMBOL FILE): compiles FILE's bytes into TARGET as
# `extern const char SYMBOL[]` (zero-terminated) and `SYMBOL_size`, declared in
# the generated header generated/embedded/SYMBOL.h.
function(qv_embed_text target symbol file)
    set(out_dir ${CMAKE_BINARY_DIR}/generated/embedded)
    set(out_cpp ${out_dir}/${symbol}.cpp)
    add_custom_command(
        OUTPUT ${out_cpp} ${out_dir}/${symbol}.h
        COMMAND ${QV_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/embed_text.py ${symbol} ${file} ${out_dir}
        DEPENDS ${file} ${CMAKE_SOURCE_DIR}/scripts/embed_text.py
        COMMENT "Embedding ${file}")
    target_sources(${target} PRIVATE ${out_cpp})
endfunction()
