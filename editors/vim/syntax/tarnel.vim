" Vim syntax file
" Language:    Tarnel
" Filenames:   *.tn
"
" The keywords, builtins and sdl2./http. function names below are copied from the
" interpreter's own lists (the list_names tool, tests/tools/list_names.cpp, prints them). A test
" (tests/editors/names_test.py) checks that every one appears here: add new names here too.

if exists("b:current_syntax")
  finish
endif

let s:cpo_save = &cpo
set cpo&vim

" Identifiers: a letter or _ first, then _, letters and digits; a full stop is never part.
syn iskeyword @,48-57,_,192-255

" Keywords (all 21 reserved words appear in the groups below).
syn keyword tarnelKeyword     let as
syn keyword tarnelKeyword     def nextgroup=tarnelFunctionName skipwhite skipnl
syn keyword tarnelConditional if else match
syn keyword tarnelRepeat      while for in
syn keyword tarnelStatement   return break continue global use
syn keyword tarnelException   try catch
syn keyword tarnelOperator    and or not
syn keyword tarnelBoolean     true false
" null is not reserved: it is an undefined name, which reads as the value null.
syn keyword tarnelConstant    null

syn match   tarnelFunctionName "\h\k*" contained

" Builtin functions.
syn keyword tarnelBuiltin print input typeof is_number is_string is_array is_dict
syn keyword tarnelBuiltin len concat upper lower slice split push pop reverse
syn keyword tarnelBuiltin abs pow sqrt floor ceil round min max random random_range
syn keyword tarnelBuiltin rect color circle triangle window clear present is_open
syn keyword tarnelBuiltin window_width window_height draw fill
" "contains" is an argument word of :syntax keyword, so it needs a match.
syn match   tarnelBuiltin "\<contains\>"

" Module functions, called as sdl2.NAME(...) and http.NAME(...).
syn match tarnelModuleFunction "\<sdl2\.\%(init\|create_window\|destroy_window\|set_window_title\|clear_screen\|render_present\|set_draw_color\|draw_point\|draw_line\|draw_rect\|fill_rect\|draw_circle\|fill_circle\|get_window_width\|get_window_height\|is_window_open\)\>"
syn match tarnelModuleFunction "\<http\.\%(page\|serve\|template\|json\|status\|send\|get\|post\)\>"

" Numbers: digits only; a float has digits on both sides of one full stop (1..5 is a range).
syn match tarnelNumber "\<\d\+"
syn match tarnelFloat  "\<\d\+\.\d\+"

" Operators. Defined before the comments so that /* starts a comment, not a division.
syn match tarnelOperator "\*\*\|=>\|->\|\.\.\|[-+*/%=!<>]=\=\|?"

" Strings: double quotes only, may span lines; \n \t \r \" \\ are escapes, any other
" backslash pair stays as written.
syn region tarnelString start=+"+ skip=+\\\\\|\\"+ end=+"+ contains=tarnelEscape
syn match  tarnelEscape +\\[ntr"\\]+ contained

" Comments: # to the end of the line, and /* ... */ (not nested, may span lines).
syn keyword tarnelTodo contained TODO FIXME XXX NOTE
syn match  tarnelComment "#.*$" contains=tarnelTodo,@Spell
syn region tarnelComment start="/\*" end="\*/" contains=tarnelTodo,@Spell

" Block comments and strings may span many lines: always parse from the top.
syn sync fromstart

hi def link tarnelKeyword        Keyword
hi def link tarnelConditional    Conditional
hi def link tarnelRepeat         Repeat
hi def link tarnelStatement      Statement
hi def link tarnelException      Exception
hi def link tarnelOperator       Operator
hi def link tarnelBoolean        Boolean
hi def link tarnelConstant       Constant
hi def link tarnelFunctionName   Function
hi def link tarnelBuiltin        Function
hi def link tarnelModuleFunction Function
hi def link tarnelNumber         Number
hi def link tarnelFloat          Float
hi def link tarnelString         String
hi def link tarnelEscape         SpecialChar
hi def link tarnelComment        Comment
hi def link tarnelTodo           Todo

let b:current_syntax = "tarnel"

let &cpo = s:cpo_save
unlet s:cpo_save
