#include "config/prg_par.h"

#include <cstring>

namespace qlxs {

T_TelFarben DefaultTelFarben() {
  T_TelFarben tf;
  std::memset(&tf, 0, sizeof tf);
  tf.schrift = 9;
  tf.vers = 1;
  tf.leerzl = 50;
  tf.e1 = {2, 15};
  tf.s1 = {1, 15};
  tf.e2 = {4, 15};
  tf.s2 = {7, 15};
  tf.ueb = {16, 15};
  tf.err = {3, 15};
  return tf;
}

T_TypUrsFarben DefaultTypUrsFarben() {
  T_TypUrsFarben t;
  std::memset(&t, 0, sizeof t);
  t.lg = sizeof(T_TypUrsFarben);
  return t;
}

T_PrgPar DefaultPrgPar(bool german) {
  T_PrgPar p;
  std::memset(&p, 0, sizeof p);
  p.kenn = kFileMagic;
  p.lg = sizeof(T_PrgPar);
  p.vers = 16;
  p.afmt = 3;
  p.spr = german ? 0 : 1;
  p.opt[0] = 1;
  p.opt[1] = 1;
  p.tf = DefaultTelFarben();
  p.mitzeit = 1;
  p.mitlink = 1;
  p.ausgonl = 1;
  p.frbtyp = DefaultTypUrsFarben();
  p.frburs = DefaultTypUrsFarben();
  return p;
}

}  // namespace qlxs
