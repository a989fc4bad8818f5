# Warnings are errors in our own code (generated moc/uic/rcc files are not ours
# but compile cleanly under the same flags).
function(tarvex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
