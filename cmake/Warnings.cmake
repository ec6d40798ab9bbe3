# Every target of ours builds warning-free.
add_compile_options(-Wall -Wextra -Werror)
