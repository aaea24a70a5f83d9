" Tarnel scripts end in .tn.
au BufRead,BufNewFile *.tn setfiletype tarnel
