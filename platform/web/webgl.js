// The OpenGL side of the browser build, as a library for emcc. WebGL 2 is
// OpenGL ES 3.0: the engine's shaders, written for GLSL 330, are compiled
// as GLSL ES 300 with default precisions, their texts left as they are; and
// the textures WebGL 2 cannot take, or could take but never sample (a
// filter it refuses for the format), are refused with a line that says so
// and an OpenGL error, which the engine's texture loader reports as a
// failed load, rather than drawn blank.

var LibraryKyWebGL = {
  $KyWebGL__deps: ['$GL'],
  $KyWebGL: {
    // Every precision GLSL ES 300 leaves without a default in the fragment
    // stage, and float and int in both.
    precisions: 'precision highp float;precision highp int;precision highp sampler2D;' +
      'precision highp sampler3D;precision highp samplerCube;precision highp sampler2DArray;' +
      'precision highp sampler2DShadow;precision highp samplerCubeShadow;' +
      'precision highp sampler2DArrayShadow;precision highp isampler2D;precision highp isampler3D;' +
      'precision highp isamplerCube;precision highp isampler2DArray;precision highp usampler2D;' +
      'precision highp usampler3D;precision highp usamplerCube;precision highp usampler2DArray;',

    toEssl: function(source) {
      return source.replace(/^(\s*)#version[ \t]+330([ \t]+core)?/, '$1#version 300 es\n' + KyWebGL.precisions);
    },

    // The formats WebGL 2 takes for each internal format the engine makes:
    // its pixel format, its data types, and whether it can be filtered
    // linearly. Names, resolved against the context's constants.
    formatNames: [
      ['R8', 'RED', ['UNSIGNED_BYTE'], true], ['RG8', 'RG', ['UNSIGNED_BYTE'], true],
      ['RGB8', 'RGB', ['UNSIGNED_BYTE'], true], ['RGBA8', 'RGBA', ['UNSIGNED_BYTE'], true],
      ['R8_SNORM', 'RED', ['BYTE'], true], ['RG8_SNORM', 'RG', ['BYTE'], true],
      ['RGB8_SNORM', 'RGB', ['BYTE'], true], ['RGBA8_SNORM', 'RGBA', ['BYTE'], true],
      ['R16F', 'RED', ['HALF_FLOAT', 'FLOAT'], true], ['RG16F', 'RG', ['HALF_FLOAT', 'FLOAT'], true],
      ['RGB16F', 'RGB', ['HALF_FLOAT', 'FLOAT'], true], ['RGBA16F', 'RGBA', ['HALF_FLOAT', 'FLOAT'], true],
      ['R32F', 'RED', ['FLOAT'], false], ['RG32F', 'RG', ['FLOAT'], false],
      ['RGB32F', 'RGB', ['FLOAT'], false], ['RGBA32F', 'RGBA', ['FLOAT'], false],
      ['R8I', 'RED_INTEGER', ['BYTE'], false], ['R8UI', 'RED_INTEGER', ['UNSIGNED_BYTE'], false],
      ['R16I', 'RED_INTEGER', ['SHORT'], false], ['R16UI', 'RED_INTEGER', ['UNSIGNED_SHORT'], false],
      ['R32I', 'RED_INTEGER', ['INT'], false], ['R32UI', 'RED_INTEGER', ['UNSIGNED_INT'], false],
      ['RG8I', 'RG_INTEGER', ['BYTE'], false], ['RG8UI', 'RG_INTEGER', ['UNSIGNED_BYTE'], false],
      ['RG16I', 'RG_INTEGER', ['SHORT'], false], ['RG16UI', 'RG_INTEGER', ['UNSIGNED_SHORT'], false],
      ['RG32I', 'RG_INTEGER', ['INT'], false], ['RG32UI', 'RG_INTEGER', ['UNSIGNED_INT'], false],
      ['RGB8I', 'RGB_INTEGER', ['BYTE'], false], ['RGB8UI', 'RGB_INTEGER', ['UNSIGNED_BYTE'], false],
      ['RGB16I', 'RGB_INTEGER', ['SHORT'], false], ['RGB16UI', 'RGB_INTEGER', ['UNSIGNED_SHORT'], false],
      ['RGB32I', 'RGB_INTEGER', ['INT'], false], ['RGB32UI', 'RGB_INTEGER', ['UNSIGNED_INT'], false],
      ['RGBA8I', 'RGBA_INTEGER', ['BYTE'], false], ['RGBA8UI', 'RGBA_INTEGER', ['UNSIGNED_BYTE'], false],
      ['RGBA16I', 'RGBA_INTEGER', ['SHORT'], false], ['RGBA16UI', 'RGBA_INTEGER', ['UNSIGNED_SHORT'], false],
      ['RGBA32I', 'RGBA_INTEGER', ['INT'], false], ['RGBA32UI', 'RGBA_INTEGER', ['UNSIGNED_INT'], false],
      ['DEPTH_COMPONENT16', 'DEPTH_COMPONENT', ['UNSIGNED_SHORT', 'UNSIGNED_INT'], false],
      ['DEPTH_COMPONENT24', 'DEPTH_COMPONENT', ['UNSIGNED_INT'], false],
      ['DEPTH_COMPONENT32F', 'DEPTH_COMPONENT', ['FLOAT'], false],
      ['DEPTH24_STENCIL8', 'DEPTH_STENCIL', ['UNSIGNED_INT_24_8'], false],
      ['DEPTH32F_STENCIL8', 'DEPTH_STENCIL', ['FLOAT_32_UNSIGNED_INT_24_8_REV'], false]
    ],
    formats: null,

    // A context given back after its loss is the same WebGL object, empty.
    // The old objects' entries go (the engine makes its objects anew under
    // new names: the counter only grows, so none is given twice), the
    // extensions are enabled again, as they are lost with the context, and
    // the unpack alignment is WebGL's default again.
    renewContext: function() {
      [GL.buffers, GL.programs, GL.framebuffers, GL.renderbuffers, GL.textures, GL.shaders, GL.vaos,
       GL.queries, GL.samplers, GL.transformFeedbacks, GL.syncs].forEach(function(table) {
        table.fill(null);
      });
      GLctx.currentProgram = null;
      GL.unpackAlignment = 4;
      GL.currentContext.initExtensionsDone = false;
      GL.initExtensions(GL.currentContext);
    },

    hex: function(value) {
      return '0x' + (value >>> 0).toString(16).toUpperCase();
    },

    // Whether WebGL 2 can create and sample this image on the bound
    // texture; if not, says why and leaves an OpenGL error.
    accepts: function(call, target, internalFormat, format, type) {
      if (!KyWebGL.formats) {
        KyWebGL.formats = {};
        KyWebGL.formatNames.forEach(function(entry) {
          KyWebGL.formats[GLctx[entry[0]]] = {
            name: entry[0], format: GLctx[entry[1]],
            types: entry[2].map(function(name) { return GLctx[name]; }), filterable: entry[3]
          };
        });
      }
      var known = KyWebGL.formats[internalFormat];
      if (!known || known.format != format || known.types.indexOf(type) < 0) {
        err('Error: [' + call + '] WebGL 2 has no texture of internal format ' + KyWebGL.hex(internalFormat) +
            ' from pixels of format ' + KyWebGL.hex(format) + ' and type ' + KyWebGL.hex(type) + '.');
        GL.recordError(0x502 /* GL_INVALID_OPERATION */);
        return false;
      }
      var filter = GLctx.getTexParameter(target, GLctx.TEXTURE_MAG_FILTER);
      if (!known.filterable && filter == GLctx.LINEAR &&
          !(/32F$/.test(known.name) && GLctx.getExtension('OES_texture_float_linear'))) {
        err('Error: [' + call + '] WebGL 2 cannot filter ' + known.name +
            ' texels linearly here: such a texture would draw blank.');
        GL.recordError(0x502 /* GL_INVALID_OPERATION */);
        return false;
      }
      return true;
    }
  },

  glShaderSource__deps: ['$KyWebGL'],
  glShaderSource: function(shader, count, string, length) {
    var source = GL.getSource(shader, count, string, length);
    GLctx.shaderSource(GL.shaders[shader], KyWebGL.toEssl(source));
  },

  glTexImage1D__deps: ['$KyWebGL'],
  glTexImage1D: function(target, level, internalFormat, width, border, format, type, pixels) {
    err('Error: [glTexImage1D] WebGL 2 has no one-dimensional textures.');
    GL.recordError(0x500 /* GL_INVALID_ENUM */);
  }
};

// The image uploads check first, and the queries answer for a stage WebGL 2
// does not have; then each does what it always does.
['glTexImage2D', 'glTexImage3D', 'glGetIntegerv'].forEach(function(name) {
  var library = LibraryManager.library;
  library['kyWebGL_' + name] = library[name];
  library['kyWebGL_' + name + '__deps'] = library[name + '__deps'];
  library['kyWebGL_' + name + '__sig'] = library[name + '__sig'];
});

LibraryKyWebGL.glTexImage2D__deps = ['$KyWebGL', 'kyWebGL_glTexImage2D'];
LibraryKyWebGL.glTexImage2D = function(target, level, internalFormat, width, height, border, format, type, pixels) {
  if (KyWebGL.accepts('glTexImage2D', target, internalFormat, format, type))
    _kyWebGL_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
};
LibraryKyWebGL.glTexImage3D__deps = ['$KyWebGL', 'kyWebGL_glTexImage3D'];
LibraryKyWebGL.glTexImage3D = function(target, level, internalFormat, width, height, depth, border, format, type, pixels) {
  if (KyWebGL.accepts('glTexImage3D', target, internalFormat, format, type))
    _kyWebGL_glTexImage3D(target, level, internalFormat, width, height, depth, border, format, type, pixels);
};

// There is no geometry stage, so it limits nothing: it answers with the limit
// of all stages together, and the engine's smallest-of-the-stages stays the
// vertex and fragment stages' own.
LibraryKyWebGL.glGetIntegerv__deps = ['kyWebGL_glGetIntegerv'];
LibraryKyWebGL.glGetIntegerv = function(name, data) {
  if (name == 0x8A2C /* GL_MAX_GEOMETRY_UNIFORM_BLOCKS */ && data) {
    HEAP32[data >> 2] = GLctx.getParameter(GLctx.MAX_COMBINED_UNIFORM_BLOCKS);
    return;
  }
  _kyWebGL_glGetIntegerv(name, data);
};

mergeInto(LibraryManager.library, LibraryKyWebGL);
