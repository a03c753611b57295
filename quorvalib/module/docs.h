/* Docstrings of methods and module functions share one layout: each
 * section heading on a line of its own, its text indented below it. */
#ifndef QUORVA_DOCS_H
#define QUORVA_DOCS_H

#define QRVA_DOC(purpose, synopsis, arguments, example, further, related)                      \
  "Purpose:\n  " purpose "\nSynopsis:\n  " synopsis "\nArguments:\n  " arguments "\nExample:\n  " \
  example "\nFurther information:\n  " further "\nRelated topics:\n  " related "\n"

#endif
