# Warnings on and fatal for the project's own code (not for GoogleTest).
function(vx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
