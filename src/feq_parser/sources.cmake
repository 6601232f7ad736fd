# Expression engine: tokens and stacks, tokenizer, postfix conversion, evaluation, parser.
target_sources(quillon_core PRIVATE
  src/feq_parser/tokens.cpp
  src/feq_parser/tokenizer.cpp
  src/feq_parser/postfix.cpp
  src/feq_parser/evaluation.cpp
  src/feq_parser/exact_math.cpp
  src/feq_parser/exact_atan.cpp
  src/feq_parser/equation_parser.cpp
)
