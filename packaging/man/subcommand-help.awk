# Turns the help text of one meltsim-cli subcommand (`meltsim-cli NAME --help`,
# as CLI11 prints it) into man page markup: a subsection headed by the usage
# line, the description, the positionals and options as tagged paragraphs,
# the examples as they are laid out, and the closing paragraphs as text.
#
# The help text has this shape:
#   <description>
#   Usage: meltsim-cli NAME [OPTIONS] ...
#   <blank>
#   Options:                                  (a heading: no indent, ends with ':')
#     -o,--output FILE            <what it does>
#     --vary SYMBOL=RANGE|LIST ...            (a long name: the text on the next line,
#                                 <what it does>   indented 20 or more)
#   Examples:
#     meltsim-cli NAME ...        <what it shows>
#   Exit codes: ...                           (text: no indent, more after the ':')

# Escapes text for the roff formatter: backslashes, hyphens as minus signs
# (so that options can be searched and copied), a leading control character.
function esc(s) {
  gsub(/\\/, "\\e", s)
  gsub(/-/, "\\-", s)
  if (s ~ /^[.']/) s = "\\&" s
  return s
}

# The name column of an item: flags in bold, their arguments in italics,
# none of its words hyphenated, e.g. "-o,--output FILE" or "-o, --output FILE"
# -> "\fB\-o\fR, \fB\-\-output\fR \fIFILE\fR".
function item_name(s,    words, n, i, flag, in_flags, parts, m, j, out) {
  n = split(s, words, " ")
  out = ""
  in_flags = words[1] ~ /^-/
  for (i = 1; i <= n; i++) {
    if (in_flags && words[i] ~ /^-/) {
      flag = words[i]
      in_flags = sub(/,$/, "", flag)
      m = split(flag, parts, ",")
      for (j = 1; j <= m; j++) out = out (out == "" ? "" : ", ") "\\fB\\%" esc(parts[j]) "\\fR"
    } else {
      in_flags = 0
      out = out (i > 1 ? " " : "") (words[i] == "..." ? "..." : "\\fI\\%" esc(words[i]) "\\fR")
    }
  }
  return out
}

function end_verbatim() {
  if (mode == "verbatim") print ".fi"
}

NR == 1 { description = $0; next }

/^Usage: / {
  usage = substr($0, 8)
  print ".SS \"" esc(usage) "\""
  print esc(description)
  mode = "text"
  next
}

/^$/ { end_verbatim(); mode = "text"; next }

/^[^ ][^:]*:$/ {
  end_verbatim()
  print ".PP"
  print "\\fB" esc($0) "\\fR"
  if ($0 == "Examples:") {
    print ".PP"
    print ".nf"
    mode = "verbatim"
  } else {
    mode = "items"
  }
  next
}

mode == "verbatim" { print esc($0); next }

mode == "items" && /^                    / {
  sub(/^ +/, "")
  print esc($0)
  next
}

# An item: the name in a column of 30 characters, the text after it (a name
# that fills the column is followed by one space only); a name too long for
# the column has its text on the next line.
mode == "items" && /^  [^ ]/ {
  print ".TP"
  if (substr($0, 30, 1) == " " && substr($0, 31, 1) != " " && length($0) > 30) {
    name = substr($0, 3, 28)
    sub(/ +$/, "", name)
    print item_name(name)
    print esc(substr($0, 31))
  } else if (match(substr($0, 3), /   */) > 0) {
    print item_name(substr($0, 3, RSTART - 1))
    print esc(substr($0, 3 + RSTART - 1 + RLENGTH))
  } else {
    print item_name(substr($0, 3))
  }
  next
}

{
  if (mode != "paragraph") print ".PP"
  mode = "paragraph"
  sub(/^ +/, "")
  print esc($0)
}

END { end_verbatim() }
